/* Ids of the toolkit suite's dialog templates and their controls. Plain
   macros, because the resource compiler reads this file too. */
#ifndef VANTREL_TOOLKIT_TEMPLATES_H
#define VANTREL_TOOLKIT_TEMPLATES_H

#define IDD_EVERY_CONTROL 2000
#define IDD_LARGE_FONT 2001
#define IDD_NORMAL_FONT 2002

#define IDC_FOUND 1001
#define IDC_FILES 1019
#define IDC_PANEL 1030
#define IDC_COPY_LIST 1040
#define IDC_TICK 1041
#define IDC_UNTICK 1042
#define IDC_BACK 1050
#define IDC_NEXT 1051
#define IDC_REFRESH 1052
#define IDC_COPY 1053
#define IDC_CLEAR 1054
#define IDC_FOLDER 1101
#define IDC_BROWSE 1102
#define IDC_CARD 1103
#define IDC_DELETED 1110
#define IDC_PARTLY 1111
#define IDC_HIDDEN 1120

#endif
