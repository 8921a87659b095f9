#pragma once
// The MFC-shaped layer in one include.
#include "CString.h"
#include "MessageMap.h"
#include "Wnd.h"
#include "Dialog.h"
#include "Collections.h"
