#include "platform/ui/app_window.h"

AppWindowRecord AppWindow;
