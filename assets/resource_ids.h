#pragma once
// Resource identifiers shared by the resource script and the code. Every
// picture is a PNG, drawn in three sets: the 100 % one stored as an RCDATA
// resource, the 150 % and 200 % ones under the same id as resources of type
// ART150 and ART200. The sizes given are the 100 % set's.

#define IDI_VIGILO 1

#define IDB_NOTIFY_BACKGROUND_238 101  /* 400 x 238 */
#define IDB_NOTIFY_BACKGROUND_270 102  /* 400 x 270 */
#define IDB_INFO_BACKGROUND 103        /* 300 x 200 */
#define IDB_ATTENTION_MARK 104         /* 29 x 30 */
#define IDB_LOGO_IE 105                /* 48 x 48 */
#define IDB_LOGO_FIREFOX 106           /* 48 x 48 */
#define IDB_LOGO_CHROME 107            /* 48 x 48 */
#define IDB_JUNK_LOGO 108              /* 44 x 54 */
#define IDB_BUTTON 109                 /* 74 x 20, normal state */
#define IDB_BUTTON_HOVER 110           /* 74 x 20, hovered state */
#define IDB_LOGO_BROWSER 111           /* 48 x 48, a browser without a logo of its own */

#define IDR_CLOSE_CROSS_PNG 201        /* 28 x 22, with alpha */
#define IDR_MORE_OPTIONS_PNG 202       /* 28 x 22, with alpha: three dots */
