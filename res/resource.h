// Resource identifiers of TavrelCustomizer. Read by the Windows resource compiler and, at run
// time, by the dialog layer of every other front end.
#define IDR_MAINFRAME                   128
#define IDD_ABOUTBOX                    100
#define IDS_ABOUTBOX                    101
#define IDD_MAIN                        102
#define IDD_PLACEHOLDER                 132
#define IDM_ABOUTBOX                    0x0010

#define IDC_DIFFICULTY_VALUE            1000
#define IDC_RACE_FEDERATION             1001
#define IDC_RACE_KLINGON                1002
#define IDC_RACE_ROMULAN                1003
#define IDC_RACE_GORN                   1004
#define IDC_RACE_LYRAN                  1005
#define IDC_RACE_HYDRAN                 1006
#define IDC_RACE_MIRAK                  1007
#define IDC_RACE_ISC                    1008
#define IDC_RACE_PIRATES                1009
#define IDC_MONSTER_USE                 1010
#define IDC_RESET_DEFAULTS              1012
#define IDC_USE_FRIGATE                 1019
#define IDC_USE_DESTROYER               1020
#define IDC_USE_WAR_DESTROYER           1021
#define IDC_USE_LIGHT_CRUISER           1022
#define IDC_USE_HEAVY_CRUISER           1023
#define IDC_USE_NEW_HEAVY_CRUISER       1024
#define IDC_USE_HEAVY_BATTLECRUISER     1025
#define IDC_USE_CARRIER                 1026
#define IDC_USE_DREADNOUGHT             1027
#define IDC_USE_BATTLESHIP              1028
#define IDC_RACE_MODE                   1031
#define IDC_DIFFICULTY_SLIDER           1033
#define IDC_AI_LEVEL                    1034
#define IDC_ODDS_BATTLESHIP             1038
#define IDC_ODDS_DREADNOUGHT            1039
#define IDC_ODDS_CARRIER                1040
#define IDC_ODDS_HEAVY_BATTLECRUISER    1041
#define IDC_ODDS_NEW_HEAVY_CRUISER      1042
#define IDC_ODDS_HEAVY_CRUISER          1043
#define IDC_ODDS_LIGHT_CRUISER          1044
#define IDC_ODDS_WAR_DESTROYER          1045
#define IDC_ODDS_DESTROYER              1046
#define IDC_ODDS_FRIGATE                1047
#define IDC_MONSTER_ODDS                1048
#define IDC_ERA_EARLY                   1057
#define IDC_ERA_MIDDLE                  1058
#define IDC_ERA_LATE                    1059
#define IDC_FORCE_ERA                   1060

// Shared with <windows.h>, spelled as it spells them.
#ifndef IDOK
#define IDOK 1
#endif
#ifndef IDCANCEL
#define IDCANCEL 2
#endif
