#pragma once
// Command and control identifiers. The numbers are those of the menus, tool bars, tool-tip
// files and dialog bars; files and users address commands by these numbers and names.

namespace cmd {

// Commands.
inline constexpr int ID_VIDEO_CAPTURE = 32774;
inline constexpr int ID_VIDEO_TIMERCAPTURE = 32775;
inline constexpr int ID_VIDEO_RECORD = 32776;
inline constexpr int ID_VIDEO_SELECTCOMPRESSOR = 32777;
inline constexpr int ID_VIDEO_MANUALWB = 32778;
inline constexpr int ID_VIDEO_FILLWINDOW = 32780;
inline constexpr int ID_VIDEO_SHOWSIZEBAR = 32781;
inline constexpr int ID_VIDEO_SHOWCOLORBAR = 32782;
inline constexpr int ID_VIDEO_SHOWSETTINGBAR = 32783;
inline constexpr int ID_MAIN_CONNECT = 32784;
inline constexpr int ID_VIEW_VIDEO_STATUSBAR = 32786;
inline constexpr int ID_VIEW_VIDEO_TOOLBAR = 32787;
inline constexpr int ID_IMAGE_NORMAL = 32789;
inline constexpr int ID_IMAGE_MESURE_LINE = 32790;
inline constexpr int ID_IMAGE_MEASURE_CIRCLE = 32791;
inline constexpr int ID_IMAGE_MEASURE_ELLIPSE = 32792;
inline constexpr int ID_IMAGE_MEASURE_RECT = 32793;
inline constexpr int ID_IMAGE_MEASURE_ANGLE = 32794;
inline constexpr int ID_IMAGE_MEASURE_POLYLINE = 32795;
inline constexpr int ID_IMAGE_MEASURE_TEXT = 32796;
inline constexpr int ID_VIEW_IMAGE_TOOLBAR = 32797;
inline constexpr int ID_VIEW_IMAGE_STATUSBAR = 32798;
inline constexpr int ID_IMAGE_SETTINGS_RULER = 32799;
inline constexpr int ID_IMAGE_SETTINGS_PEN = 32800;
inline constexpr int ID_IMAGE_SETTINGS_TEXT = 32801;
inline constexpr int ID_IMAGE_MEASURE_DELETE = 32802;
inline constexpr int ID_RETURN_VIDEO = 32803;
inline constexpr int ID_IMAGE_MEASURE_DELETEALL = 32804;
inline constexpr int ID_VIDEO_SHOWLEDBAR = 32805;
inline constexpr int ID_IMAGE_MEASURE_CIRCLE0 = 32806;
inline constexpr int ID_IMAGE_MEASURE_CIRCLE1 = 32807;
inline constexpr int ID_IMAGE_MEASURE_CIRCLE2 = 32808;
inline constexpr int ID_IMAGE_MEASURE_ELLIPSE0 = 32809;
inline constexpr int ID_IMAGE_MEASURE_ELLIPSE1 = 32810;
inline constexpr int IDM_ENGLISHLANGUAGE = 32815;
inline constexpr int IDM_CHINESELANGUAGE = 32816;
inline constexpr int ID_IMAGE_ZOOM = 32822;
inline constexpr int ID_BUTTON_RecordSetting = 32825;
inline constexpr int ID_CAPTURE_SETTING = 32827;
inline constexpr int ID_CAPTURE_MEASURE = 32828;
inline constexpr int ID_BUTTON_ALLBTN = 32832;
inline constexpr int ID_BUTTON_IMAGEALL = 32833;
inline constexpr int ID_BUTTON_FREEZE = 32834;
inline constexpr int ID_HELP_CONTENTS = 32835;
inline constexpr int IDM_FANTICHINESELANGUAGE = 32836;
inline constexpr int ID_VIDEO_CROSSLINE = 32837;
inline constexpr int ID_DEVICE_CONNECTDEVICE = 32838;
inline constexpr int ID_OP_VIDEO_WINDOW = 32888;
inline constexpr int ID_OP_IMAGE_WINDOW = 32889;
inline constexpr int ID_VIDEO_HIGHQUALITY = 42773;
inline constexpr int AFX_IDS_IDLEMESSAGE = 57345;
inline constexpr int ID_FILE_NEW = 57600;
inline constexpr int ID_FILE_OPEN = 57601;
inline constexpr int ID_FILE_CLOSE = 57602;
inline constexpr int ID_FILE_SAVE = 57603;
inline constexpr int ID_FILE_SAVE_AS = 57604;
inline constexpr int ID_FILE_PAGE_SETUP = 57605;
inline constexpr int ID_FILE_PRINT_SETUP = 57606;
inline constexpr int ID_FILE_PRINT = 57607;
inline constexpr int ID_FILE_PRINT_PREVIEW = 57609;
inline constexpr int ID_FILE_MRU_FILE1 = 57616;
inline constexpr int ID_WINDOW_CASCADE = 57650;
inline constexpr int ID_WINDOW_TILE_HORZ = 57651;
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_APP_EXIT = 57665;

// Resources.
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDR_IMAGETYPE = 130;
inline constexpr int IDR_VIDEOTYPE = 131;
inline constexpr int IDD_SIZEBAR = 137;
inline constexpr int IDD_COLORBAR = 139;
inline constexpr int IDD_CAPTUREBAR = 140;
inline constexpr int IDD_RULERBAR = 142;
inline constexpr int IDD_PENBAR = 145;
inline constexpr int IDD_TEXTBAR = 148;
inline constexpr int IDD_LEDBAR = 181;
inline constexpr int IDD_ZOOMBAR = 207;
inline constexpr int IDD_RECORDBAR = 219;
inline constexpr int IDD_VIDEOSETTINGBAR = 231;
inline constexpr int IDD_RULERMEASUREBAR = 274;

// Controls of the dialog bars (unique within their bar).
inline constexpr int IDC_COLOR_DEFAULT = 1001;
inline constexpr int IDC_SLIDER_RED_GAIN = 1002;
inline constexpr int IDC_SLIDER_GREEN_GAIN = 1003;
inline constexpr int IDC_SLIDER_BLUE_GAIN = 1004;
inline constexpr int IDC_SLIDER_GAMMA = 1005;
inline constexpr int IDC_SLIDER_RED_OFFSET = 1006;
inline constexpr int IDC_NUM_RED_GAIN = 1007;
inline constexpr int IDC_NUM_GREEN_GAIN = 1008;
inline constexpr int IDC_NUM_BLUE_GAIN = 1009;
inline constexpr int IDC_NUM_GAMMA = 1010;
inline constexpr int IDC_NUM_RED_OFFSET = 1011;
inline constexpr int IDC_SLIDER_GREEN_OFFSET = 1012;
inline constexpr int IDC_SLIDER_BLUE_OFFSET = 1013;
inline constexpr int IDC_NUM_GREEN_OFFSET = 1015;
inline constexpr int IDC_NUM_BLUE_OFFSET = 1016;

inline constexpr int IDC_CAPTURE_AUTOINC = 1013;
inline constexpr int IDC_CAPTURE_NAME = 1014;
inline constexpr int IDC_CAPTURE_PATH = 1015;
inline constexpr int IDC_CAPTURE_BROWSE = 1016;
inline constexpr int IDC_CAPTURE_INTERVAL = 1021;
inline constexpr int IDC_CAPTURE_LIMIT = 1022;
inline constexpr int IDC_CAPTURE_COUNT = 1023;
inline constexpr int IDC_CAPTURE_OPENPATH = 1103;
inline constexpr int IDC_CAPTURE_JPEG = 1121;
inline constexpr int IDC_CAPTURE_BMP = 1122;
inline constexpr int IDC_CAPTURE_TIFF = 1123;
inline constexpr int IDC_CAPTURE_OVERLAY = 1124;
inline constexpr int IDC_CAPTURE_SAVETODISK = 1300;
inline constexpr int IDC_CAPTURE_NOTE = 1301;

inline constexpr int IDC_RECORD_NAME = 1018;
inline constexpr int IDC_RECORD_PATH = 1019;
inline constexpr int IDC_RECORD_BROWSE = 1020;
inline constexpr int IDC_RECORD_COMPRESSOR = 1079;
inline constexpr int IDC_RECORD_OPENPATH = 1104;

inline constexpr int IDC_SIZE_320 = 1132;
inline constexpr int IDC_SIZE_640 = 1133;
inline constexpr int IDC_SIZE_1280 = 1134;
inline constexpr int IDC_SIZE_1600 = 1165;
inline constexpr int IDC_SIZE_2048 = 1166;

inline constexpr int IDC_LIGHT_INNER = 1129;
inline constexpr int IDC_LIGHT_OUTER = 1130;
inline constexpr int IDC_LIGHT_BOTTOM = 1131;
inline constexpr int IDC_LIGHT_50HZ = 1135;
inline constexpr int IDC_LIGHT_60HZ = 1136;
inline constexpr int IDC_LIGHT_LASER = 1138;

inline constexpr int IDC_AWB = 1095;
inline constexpr int IDC_FLIP_VERTICAL = 1109;
inline constexpr int IDC_FLIP_HORIZONTAL = 1110;
inline constexpr int IDC_SLIDER_EXPOSURE = 1112;
inline constexpr int IDC_NUM_EXPOSURE = 1113;

inline constexpr int IDC_MAGNIFIER = 1310;
inline constexpr int IDC_MAGNIFIER_SPIN = 1311;

inline constexpr int IDC_RULER_LIST = 1140;
inline constexpr int IDC_RULER_HIDEDESC = 1088;
inline constexpr int IDC_RULER_PRECISION = 1090;
inline constexpr int IDC_RULER_MEASUREUNIT = 1160;
inline constexpr int IDC_RULER_DEFINE = 1320;

inline constexpr int IDC_MRULER_MEASUREUNIT = 1026;
inline constexpr int IDC_MRULER_APPLY = 1027;
inline constexpr int IDC_MRULER_HIDERULER = 1037;
inline constexpr int IDC_MRULER_NAME = 1040;
inline constexpr int IDC_MRULER_LIST = 1042;
inline constexpr int IDC_MRULER_LENGTH = 1144;
inline constexpr int IDC_MRULER_RULERUNIT = 1152;
inline constexpr int IDC_MRULER_HIDEDESC = 1157;
inline constexpr int IDC_MRULER_PRECISION = 1159;
inline constexpr int IDC_MRULER_RETURN = 1330;
inline constexpr int IDC_MRULER_LOAD = 1331;
inline constexpr int IDC_MRULER_SAVE = 1332;
inline constexpr int IDC_MRULER_DELETE = 1333;

inline constexpr int IDC_PEN_NORMALCOLOR = 1340;
inline constexpr int IDC_PEN_TEMPCOLOR = 1341;
inline constexpr int IDC_PEN_WIDTH = 1342;

inline constexpr int IDC_TEXT_FONT = 1350;
inline constexpr int IDC_TEXT_SIZE = 1034;
inline constexpr int IDC_TEXT_NORMALCOLOR = 1351;
inline constexpr int IDC_TEXT_TEMPCOLOR = 1352;

// Undo and redo of the measurements, pictures from other files, and the values as CSV.
inline constexpr int ID_EDIT_UNDO_STEP = 33200;
inline constexpr int ID_EDIT_REDO_STEP = 33201;
inline constexpr int ID_FILE_IMPORT_PICTURE = 33202;
inline constexpr int ID_FILE_EXPORT_CSV = 33203;

// The results table of image work.
inline constexpr int ID_VIEW_RESULTS = 33300;

// Zoom of an image window.
inline constexpr int ID_VIEW_ZOOM_IN = 33100;
inline constexpr int ID_VIEW_ZOOM_OUT = 33101;
inline constexpr int ID_VIEW_ACTUAL_SIZE = 33102;
inline constexpr int ID_VIEW_FIT_WINDOW = 33103;
// Calibration profiles and the stage micrometer.
inline constexpr int ID_CALIBRATE_MICROMETER = 33400;
inline constexpr int ID_CALIBRATION_NEW_PROFILE = 33401;
inline constexpr int ID_CALIBRATION_DELETE_PROFILE = 33402;
// The ruler bar's profile list.
inline constexpr int IDC_RULER_PROFILE = 1321;
// The calibrated overlay of the live picture, the scale bar of stills and TIFF export.
inline constexpr int ID_OVERLAY_SCALEBAR = 33500;
inline constexpr int ID_OVERLAY_CROSS = 33501;
inline constexpr int ID_OVERLAY_GRID = 33502;
inline constexpr int ID_OVERLAY_SETTINGS = 33503;
inline constexpr int ID_OVERLAY_IN_CAPTURES = 33504;
inline constexpr int ID_IMAGE_SCALEBAR = 33505;
inline constexpr int ID_FILE_EXPORT_TIFF = 33506;

} // namespace cmd
