#include "app/AboutDlg.h"
