// Control numbers of the Swirl dialogs (101 Chinese, 102 English).
#pragma once

#define IDC_SWIRL_PREVIEW 1000
#define IDC_SWIRL_ANGLE 1001
#define IDC_SWIRL_VALUE 1002
