#pragma once

#include <windows.h>

// Fills a dialog's combo boxes from the initial data that the resource script
// keeps beside the dialog template (resource type RT_DIALOG_INITIAL_DATA, same
// number as the template). The dialog manager does not read that data itself.
// Entries that do not fit the resource's size are not read.
void ApplyDialogInitialData(HINSTANCE instance, int templateId, HWND dialog);
