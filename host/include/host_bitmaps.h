#pragma once
// What the host's bitmap manager has done, and a way to make it fail. Not an SDK header: for
// tests and programs that stand in for the application.
#include "bitmap.h"
#include "hostexport.h"

struct BitmapCounts {
  long long created = 0;  // bitmaps TheManager made
  long long deleted = 0;  // bitmaps given back with DeleteThis
};

// Totals since the host library loaded.
BMMExport BitmapCounts HostBitmapCounts();

// The description TheManager->Create(BitmapInfo*) was last given, made or not.
BMMExport BitmapInfo LastBitmapRequest();

// The next n calls of TheManager->Create make nothing and answer null, as a host out of
// memory would; 0 stops a failure still pending.
BMMExport void FailBitmapCreation(int n);
