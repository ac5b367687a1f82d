#include "device/SysexFrame.h"
