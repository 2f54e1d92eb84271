#pragma once
// The SDK release this stand-in mirrors: 3ds Max 2019.
#define MAX_RELEASE 21000
#define MAX_API_NUM 52
#define MAX_SDK_REV 0
#define MAX_VERSION_MAJOR 21

#define VERSION_3DSMAX ((MAX_RELEASE << 16) + (MAX_API_NUM << 8) + MAX_SDK_REV)
#define GET_MAX_RELEASE(x) (((x) >> 16) & 0xffff)
#define GET_MAX_API_NUM(x) (((x) >> 8) & 0xff)
#define GET_MAX_SDK_REV(x) ((x)&0xff)
