// Resource and command ids of tellistry.exe, shared by the resource script
// and the code.
#pragma once

// Main frame: menu, accelerators, icon 128 and string 128 share the id.
#define IDR_MAINFRAME 128
#define IDR_TRAYMENU 129

// Tray states: icon and tip string of the same id.
#define IDI_TRAY_LOADING 144
#define IDI_TRAY_ERRORS 146
#define IDI_TRAY_CLOSING 147
#define IDI_TRAY_NORMAL 302

#define IDS_ARE_YOU_SURE 303

// The Exit question: a Yes/No box that leaves deliveries running.
#define IDD_EXIT_QUESTION 304
#define IDC_QUESTION_ICON 1004

// Commands.
#define ID_ADDRESS_BOOK 129
#define ID_MAINTAIN_SETTINGS 1000
#define ID_APP_EXIT_CONFIRM 1002
#define ID_OPEN_TELLISTRY 1003
#define ID_HELP_GETTING_STARTED 32806
#define ID_HELP_SUPPORT 32808
#define ID_APP_ABOUT 57664
#define ID_HELP_INDEX 57666
#define ID_HELP_FINDER 57667
#define ID_HELP 57670

// Controls.
#define IDC_LOG_LIST 1000

// About box: template, controls and the links' cursor.
#define IDD_ABOUTBOX 100
#define IDC_ABOUT_VERSION 1001
#define IDC_ABOUT_LINK_HELP 1017
#define IDC_ABOUT_LINK_WEB 1018
#define IDC_ABOUT_LINK_MAIL 1019
#define IDC_LINK_HAND 144

// Maintenance dialogs: address book, user, group, settings, SMS entry.
#define IDS_DELETE_USER 102
#define IDS_DELETE_GROUP 103
#define IDS_DELETE_ENTRY 104

#define IDD_ADDRESS_BOOK 130
#define IDD_ADD_USER 131
#define IDD_MAINTAIN_SETTINGS 132
#define IDD_ADD_ENTRY 133
#define IDD_ADD_GROUP 143

#define IDC_USERS_LIST 1005
#define IDC_GROUPS_LIST 1006
#define IDC_ADD_USER 1007
#define IDC_EDIT_USER 1008
#define IDC_DELETE_USER 1009
#define IDC_ADD_GROUP 1010
#define IDC_EDIT_GROUP 1011
#define IDC_DELETE_GROUP 1012

#define IDC_RECORD_NAME 1008
#define IDC_RECORD_DESCRIPTION 1009
#define IDC_USER_GROUP 1006
#define IDC_USER_NUMBER 1010

#define IDC_SETTINGS_ID 1012
#define IDC_SETTINGS_ENTRIES 1013
#define IDC_SETTINGS_FOOTER 1014
#define IDC_ADD_ENTRY 1007
#define IDC_EDIT_ENTRY 1008
#define IDC_DELETE_ENTRY 1010

#define IDC_ENTRY_NAME 1013
#define IDC_ENTRY_SMSC 1015
#define IDC_ENTRY_SCRIPT 1016
#define IDC_ENTRY_PORT 1017
#define IDC_ENTRY_BAUD 1018
#define IDC_ENTRY_PARITY 1007
#define IDC_ENTRY_DATA_BITS 1019
#define IDC_ENTRY_STOP_BITS 1020
