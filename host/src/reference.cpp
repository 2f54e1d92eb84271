#include "ref.h"

void Animatable::DeleteThis() {
  delete this;
}
Animatable::~Animatable() = default;
ReferenceMaker::~ReferenceMaker() = default;
ReferenceTarget::~ReferenceTarget() = default;
