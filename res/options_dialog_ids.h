/* The options dialog's resource and control ids, in C so that both the
   program (options_dialog.h) and the Windows resource script
   (options_dialog.rc) take them from here. */
#ifndef ZELVIK_OPTIONS_DIALOG_IDS_H
#define ZELVIK_OPTIONS_DIALOG_IDS_H

#define IDD_OPTIONS 101
#define IDC_START 1000
#define IDC_EXIT 1001
#define IDC_PLAY_MUSIC 1002
#define IDC_MONO 1003
#define IDC_STEREO 1004
#define IDC_RATE_22050 1005
#define IDC_RATE_44100 1006

#endif
