#pragma once
// Resource identifiers shared by the resource script and the code.

#define IDI_VIGILO 1

#define IDB_NOTIFY_BACKGROUND_238 101  /* 400 x 238, 24-bit */
#define IDB_NOTIFY_BACKGROUND_270 102  /* 400 x 270, 24-bit */
#define IDB_INFO_BACKGROUND 103        /* 300 x 200, 32-bit */
#define IDB_ATTENTION_MARK 104         /* 29 x 30, 24-bit */
#define IDB_LOGO_IE 105                /* 48 x 48, 24-bit */
#define IDB_LOGO_FIREFOX 106           /* 48 x 48, 24-bit */
#define IDB_LOGO_CHROME 107            /* 48 x 48, 8-bit palette */
#define IDB_JUNK_LOGO 108              /* 44 x 54, 24-bit */
#define IDB_BUTTON 109                 /* 74 x 20, 24-bit, normal state */
#define IDB_BUTTON_HOVER 110           /* 74 x 20, 24-bit, hovered state */

#define IDR_CLOSE_CROSS_PNG 201        /* 28 x 22 RGBA PNG, resource type RCDATA */
