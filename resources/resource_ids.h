/* Resource and control ids shared by the resource scripts and the code. */
#pragma once

#define IDD_MAIN              101
#define IDI_PROGRAM           102
#define IDM_MAIN              103
#define IDD_SEND_OPTIONS      104
#define IDD_MACROS            105
#define IDD_AUTO_REPLY        106
#define IDM_PLOT_WINDOW       110
#define IDD_Y_RANGE           111
#define IDD_FILTER            112
#define IDD_HIGHLIGHT         113
#define IDD_CAPTURE_OPTIONS   120
#define IDD_TERMINAL_OPTIONS  121
#define IDD_SELECT_PORT       21999

/* Main window controls */
#define IDC_SEND              1003
#define IDC_RECEIVED_LIST     1007
#define IDC_USE_UPPERCASE     1009
#define IDC_CONNECTION_LIGHT  1010
#define IDC_COMMAND           1011
#define IDC_TERMINAL          1012
#define IDC_CHAR_DELAY        1020
#define IDC_LINE_DELAY        1021
#define IDC_REPEAT_MS         1022
#define IDC_MACRO_F1          1030  /* to 1041 for F12 */
#define IDC_AUTO_MATCH1       1050  /* to 1057 for rule 8 */
#define IDC_AUTO_REPLY1       1060  /* to 1067 for rule 8 */
#define IDC_SEND_CR           22000
#define IDC_SEND_LF           22001
#define IDC_SEND_CRLF         22002
#define IDC_SEND_NONE         22003
#define IDC_ESCAPES           22004
#define IDC_HEX               22005
#define IDC_STATUS_BAR        50000
#define IDC_SEND_PROGRESS     50001

/* Capture options dialog controls */
#define IDC_CAPTURE_LIMIT     1120
#define IDC_CAPTURE_DAILY     1121
#define IDC_CAPTURE_APPEND    1122
#define IDC_CAPTURE_AS_SHOWN  1123
#define IDC_CAPTURE_AUTO      1124
#define IDC_CAPTURE_PATTERN   1125
#define IDC_CAPTURE_UNIT      1126
#define IDC_CAPTURE_RANGE     1127

/* Terminal options dialog controls */
#define IDC_TERMINAL_ENTER    1150
#define IDC_TERMINAL_BS       1151
#define IDC_TERMINAL_ECHO     1152
#define IDC_TERMINAL_COLUMNS  1153
#define IDC_TERMINAL_ROWS     1154
#define IDC_TERMINAL_SCROLLBACK 1155
#define IDC_TERMINAL_FONT     1156

/* Filter and Highlight dialog controls */
#define IDC_FILTER_TEXT       1110
#define IDC_HIGHLIGHT_COLOUR1 1130  /* to 1137 */
#define IDC_HIGHLIGHT_TEXT1   1140  /* to 1147 */

/* Y range dialog controls */
#define IDC_Y_BOTTOM          1101
#define IDC_Y_TOP             1102

/* Menu commands */
#define IDM_EXIT              40002
#define IDM_PORT_SETUP        40007
#define IDM_OPEN              40009
#define IDM_CLOSE             40010
#define IDM_CHECK_UPDATES     40011
#define IDM_PROGRAM_INFO      40012
#define IDM_CLEAR_COMMANDS    40013
#define IDM_REOPEN_LOST       40014
#define IDM_DTR               40015
#define IDM_RTS               40016
#define IDM_SEND_BREAK        40017
#define IDM_VIEW_AS_RECEIVED  40020
#define IDM_VIEW_LINES        40021
#define IDM_VIEW_HEX          40022
#define IDM_TIME_STAMPS       40023
#define IDM_CAPTURE           40024
#define IDM_STOP_CAPTURE      40025
#define IDM_COPY              40026
#define IDM_CLEAR_RECEIVED    40027
#define IDM_PLOT              40028
#define IDM_FIND              40050
#define IDM_SHOW_SENT         40053
#define IDM_COLOURS           40052
#define IDM_FILTER            40054
#define IDM_HIGHLIGHT         40055
#define IDM_SEND_FILE         40030
#define IDM_STOP_SENDING      40031
#define IDM_REPEAT            40032
#define IDM_SEND_OPTIONS      40033
#define IDM_MACROS            40034
#define IDM_AUTO_REPLY_RULES  40036
#define IDM_AUTO_REPLY        40037
#define IDM_SEND_XMODEM       40038
#define IDM_SEND_YMODEM       40039
#define IDM_RECEIVE_XMODEM    40044
#define IDM_RECEIVE_YMODEM    40045
#define IDM_RUN_SCRIPT        40070
#define IDM_STOP_SCRIPT       40071
#define IDM_XMODEM_1K         40046
#define IDM_XMODEM_REMOVE_PADDING 40047
#define IDM_PLOT_SAVE_CSV     40041
#define IDM_CAPTURE_OPTIONS   40056
#define IDM_VIEW_TERMINAL     40060
#define IDM_TERMINAL_OPTIONS  40061
#define IDM_PLOT_PAUSE        40042
#define IDM_PLOT_Y_RANGE      40043
#define IDM_ABOUT             65535
