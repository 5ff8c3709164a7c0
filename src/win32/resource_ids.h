// SPDX-License-Identifier: MIT
// Numbers of the dialog templates and their controls. The resource compiler reads this file too,
// so it holds plain defines only. Control numbers stay clear of IDOK and IDCANCEL, which the
// dialog manager sends for Enter and Escape.
#pragma once

#define IDI_APP 1
#define IDR_MANIFEST 1

#define IDD_MAIN 100
#define IDD_REMOVAL 101
#define IDD_ADMIN 102
#define IDD_INPUT 103
#define IDD_SELECT 104
#define IDD_WAIT 105

// The tool windows' controls, numbered from their declarations: main window from 1000,
// removal window from 2000, administrator window from 3000.
#include "win32/window_ids.h"

// Input box, selection and waiting dialogs
#define IDC_INPUT_PROMPT 4000
#define IDC_INPUT_ANSWER 4001
#define IDC_SELECT_LABEL1 4100
#define IDC_SELECT_FRAME1 4101
#define IDC_SELECT_OPT_PRT 4102
#define IDC_SELECT_OPT_FAX 4103
#define IDC_SELECT_OK 4104
#define IDC_SELECT_CANCEL 4105
#define IDC_WAIT_LABEL1 4200
#define IDC_WAIT_PROGRESS 4201
#define IDC_WAIT_COM_END 4202
