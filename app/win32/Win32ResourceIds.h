#pragma once

// Numbers of the Windows program's resources, shared by the resource script
// and the code: plain macros, as the resource compiler reads no C++.

#define IDD_ABOUT_BOX 100
#define IDD_MAIN_WINDOW 102
#define IDI_APPLICATION_ICON 128
#define IDB_LOGO 133
#define IDB_UPDATE_UP 134
#define IDB_UPDATE_GREYED 136

// The About entry's command in the system menu. System commands of a program
// must stay below 0xF000; the low four bits are the system's own.
#define IDM_ABOUTBOX 0x0010
// The entry that opens the folder of the update records.
#define IDM_RECORDS_FOLDER 0x0020

// Controls no one addresses: the two group-box frames and the About box's texts.
#define IDC_STATIC (-1)
// The About box's version line.
#define IDC_ABOUT_VERSION_LINE 1000
#define IDC_ABOUT_FILE_VERSION_LINE 1001

// The resource type of a dialog's initial control data (the entries of its
// combo boxes), a user-defined type under the number resource editors use.
#define RT_DIALOG_INITIAL_DATA 240
// Its one kind of entry: add the text to a combo box (the code those editors write).
#define DIALOG_INITIAL_DATA_ADD_ENTRY 0x0403
