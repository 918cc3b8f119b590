// Built by the walls test only: the dialog layer may not see the program's dialogs, so this
// include must not be found.
#include "dialog/customizer_dlg.h"
