/* Control ids of the Select Port dialog (template IDD_SELECT_PORT). Each
   radio group runs from its first to its last id; a button's offset from the
   first id is the value of the setting it stands for. */
#pragma once

#define IDC_PORT_COM1         22000
#define IDC_PORT_COM2         22001
#define IDC_PORT_COM3         22002
#define IDC_PORT_COM4         22003
#define IDC_SPEED_9600        22004
#define IDC_SPEED_19200       22005
#define IDC_SPEED_38000       22006
#define IDC_SPEED_56000       22007
#define IDC_PARITY_NONE       22008
#define IDC_PARITY_ODD        22009
#define IDC_PARITY_EVEN       22010
#define IDC_DATA_BITS_8       22011
#define IDC_DATA_BITS_7       22012
#define IDC_STOP_BITS_1       22013
#define IDC_STOP_BITS_1_5     22014
#define IDC_STOP_BITS_2       22015

/* "Other:" port and rate: a radio button beside the group's four, and the
   drop-down list whose text names the port or the rate. */
#define IDC_PORT_OTHER        22016
#define IDC_PORT_NAME         22017
#define IDC_SPEED_OTHER       22018
#define IDC_SPEED_VALUE       22019
#define IDC_FLOW_NONE         22020
#define IDC_FLOW_RTS_CTS      22021
#define IDC_FLOW_XON_XOFF     22022

/* Whether the port raises DTR and RTS when it opens. */
#define IDC_DTR_ON            22023
#define IDC_RTS_ON            22024

/* Why OK refused the port or the rate typed. */
#define IDC_SETUP_REFUSAL     22025
