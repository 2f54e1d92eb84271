#pragma once
#include <functional>

#include "common/progress_bar.h"

// Runs work(item, worker) for every item in 0..count-1 on `threads` worker threads, handing
// out items in order, while the calling thread keeps the progress bar moving. Which worker
// runs an item is chance, so work must not let it change the result; worker (0..threads-1)
// only selects per-thread scratch state. The first exception stops the rest and is rethrown
// here once every worker has stopped.
void ParallelFor(int count, int threads, ProgressBar& progress,
                 const std::function<void(int item, int worker)>& work);
