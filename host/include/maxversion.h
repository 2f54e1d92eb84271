#pragma once
// The release the module reports in the builds against this stand-in: 3ds Max 2019 (release
// 21000, API 52), as the module's contract names it. The declarations the plug-in uses follow
// the 2026 SDK, which the real build compiles against (docs/sdk-surface.md); there
// LibVersion reports that SDK's own VERSION_3DSMAX.
#define MAX_RELEASE 21000
#define MAX_API_NUM 52
#define MAX_SDK_REV 0
#define MAX_VERSION_MAJOR 21

#define VERSION_3DSMAX ((MAX_RELEASE << 16) + (MAX_API_NUM << 8) + MAX_SDK_REV)
#define GET_MAX_RELEASE(x) (((x) >> 16) & 0xffff)
#define GET_MAX_API_NUM(x) (((x) >> 8) & 0xff)
#define GET_MAX_SDK_REV(x) ((x)&0xff)
