#pragma once
// The material editor's custom controls. Spinner edit types are named by parameter-block
// descriptions, so they come first; the controls themselves arrive with the rollout.

enum EditSpinnerType {
  EDITTYPE_INT = 0,
  EDITTYPE_FLOAT = 1,
  EDITTYPE_UNIVERSE = 2,
  EDITTYPE_POS_INT = 3,
  EDITTYPE_POS_FLOAT = 4,
  EDITTYPE_POS_UNIVERSE = 5,
  EDITTYPE_TIME = 6
};
