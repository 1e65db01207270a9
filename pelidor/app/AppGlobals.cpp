// The process-wide objects, in one translation unit so that their order is fixed: the
// application object first, then the parameter strings. They are destroyed in reverse, so the
// application object, and with it the single-instance guard, goes last.
#include "pelidor/app/AppGlobals.h"

CPelidorApp theApp;
std::string g_strParamUrl;
std::string g_strParamWork;
std::string g_strParamSize;
std::string g_strParamList;
