#include "model/app_state.h"

AppStateRecord AppState;
