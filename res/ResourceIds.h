/* Ids of the executable's own resources, shared by Vantrel.rc and the code.
   Plain macros, because the resource compiler reads this file too. */
#ifndef VANTREL_RESOURCE_IDS_H
#define VANTREL_RESOURCE_IDS_H

#define IDS_WEBSITE 102
#define IDS_UPDATES_PAGE 104
#define IDS_CLASS_NAME 109
#define IDS_WINDOW_TITLE 1000

#define IDR_ACCELERATORS 109
#define IDI_VANTREL 160

#define IDB_BANNER 131
#define IDB_LOGO 132
#define IDB_BROWSE 142
#define IDB_BACK 143
#define IDB_NEXT 144
#define IDB_COPY 145
#define IDB_NEXT_DISABLED 146
#define IDB_REFRESH 149
#define IDB_CLEAR 159

#define IDW_CLICK 147

/* Commands of the accelerator table. */
#define IDM_CLOSE 105
#define IDM_SLASH 104

#endif
