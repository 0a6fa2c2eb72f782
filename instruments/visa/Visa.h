#pragma once

// The resource-manager functions of the VISA library that the program uses, over the usbtmc
// devices that Linux shows in sysfs. Types and status values are our own small set.

typedef int ViStatus;
typedef unsigned long ViObject;
typedef ViObject ViSession;
typedef ViObject ViFindList;
typedef unsigned int ViUInt32;
typedef char ViChar;
typedef const char* ViConstString;

constexpr ViStatus VI_SUCCESS = 0;
constexpr ViStatus VI_ERROR_INV_OBJECT = static_cast<ViStatus>(0xBFFF000EU);
constexpr ViStatus VI_ERROR_INV_EXPR = static_cast<ViStatus>(0xBFFF0010U);
constexpr ViStatus VI_ERROR_RSRC_NFOUND = static_cast<ViStatus>(0xBFFF0011U);
constexpr ViStatus VI_ERROR_INV_PARAMETER = static_cast<ViStatus>(0xBFFF0078U);
constexpr ViUInt32 VI_FIND_BUFLEN = 256;

extern "C" {
// Opens the default resource manager session.
ViStatus viOpenDefaultRM(ViSession* manager);
// Finds the resources whose names match 'expression'; writes the first to 'description'
// (VI_FIND_BUFLEN bytes) and their count to 'count'. 'list' (optional) serves viFindNext.
ViStatus viFindRsrc(ViSession manager, ViConstString expression, ViFindList* list, ViUInt32* count,
                    ViChar description[]);
ViStatus viFindNext(ViFindList list, ViChar description[]);
// Closes a resource manager session (and its find lists) or a find list.
ViStatus viClose(ViObject object);
}
