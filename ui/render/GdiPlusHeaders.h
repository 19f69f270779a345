#pragma once
// GDI+ C++ classes over the flat API, for the render layer's own files only.
#include <windows.h>
#include <objidl.h>
#include <propidl.h>
#include <gdiplus.h>
