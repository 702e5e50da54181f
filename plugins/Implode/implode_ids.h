// Control numbers of the Implode dialogs (101 Chinese, 102 English).
#pragma once

#define IDC_IMPLODE_PREVIEW 1030
#define IDC_IMPLODE_AMOUNT 1031
#define IDC_IMPLODE_CENTRE_X 1032
#define IDC_IMPLODE_CENTRE_Y 1033
#define IDC_IMPLODE_LOW_LABEL 1041
#define IDC_IMPLODE_HIGH_LABEL 1042
#define IDC_IMPLODE_VALUE 1043
