// The process-wide objects of Pelidor: the application object and the four parameter strings
// that the command line fills and the job preparation reads. All are defined in AppGlobals.cpp,
// in the order of construction.
#pragma once

#include "pelidor/app/PelidorApp.h"

#include <string>

extern CPelidorApp theApp;
extern std::string g_strParamUrl;  // "DL=": URL of the one file to fetch
extern std::string g_strParamWork; // "WK=": work folder for that file
extern std::string g_strParamSize; // "SZ=": expected size in bytes, decimal; may be empty
extern std::string g_strParamList; // "DLL=": path of the download list file
