#include "app/frame/command_table.h"

#include "app/shell/command_ids.h"

using namespace cmd;

namespace {

constexpr CommandInfo kCommands[] = {
    {ID_DEVICE_CONNECTDEVICE, "Connect", false},
    {ID_APP_EXIT, "Exit", false},
    {ID_APP_ABOUT, "About", false},
    {ID_HELP_CONTENTS, "Help", false, nullptr, KeyWindow::None, "F1"},
    {IDM_ENGLISHLANGUAGE, "English", true},
    {IDM_CHINESELANGUAGE, "Simple Chinese", true},
    {IDM_FANTICHINESELANGUAGE, "Traditional Chinese", true},
    {ID_CAPTURE_MEASURE, "Capture to Measure", false, "M", KeyWindow::Live},
    {ID_VIDEO_CAPTURE, "Capture", false, "C", KeyWindow::Live},
    {ID_VIDEO_TIMERCAPTURE, "Timer Capture", true},
    {ID_CAPTURE_SETTING, "Capture Settings", true},
    {ID_VIDEO_RECORD, "Record", true, "R", KeyWindow::Live},
    {ID_BUTTON_RecordSetting, "Record Settings", true},
    {ID_VIDEO_MANUALWB, "White Balance", true, "W", KeyWindow::Live},
    {ID_VIDEO_SHOWCOLORBAR, "Colour", true, "B", KeyWindow::Live},
    {ID_VIDEO_SHOWSIZEBAR, "Size", true, "S", KeyWindow::Live},
    {ID_VIDEO_FILLWINDOW, "Zoom", true, "F", KeyWindow::Live},
    {ID_BUTTON_ALLBTN, "All Video Bars", true},
    {ID_BUTTON_FREEZE, "Freeze", true, "E", KeyWindow::Live},
    {ID_VIDEO_SHOWSETTINGBAR, "Capture", true},
    {ID_VIDEO_SHOWLEDBAR, "Lights", true},
    {ID_VIDEO_SELECTCOMPRESSOR, "Select Code", false},
    {ID_VIDEO_HIGHQUALITY, "High Quality", false},
    {ID_VIDEO_CROSSLINE, "Cross Line", false},
    {ID_VIEW_VIDEO_TOOLBAR, "ToolBar", true},
    {ID_VIEW_VIDEO_STATUSBAR, "StatusBar", true},
    {ID_WINDOW_CASCADE, "Cascade", false},
    {ID_WINDOW_TILE_HORZ, "Tile Horz", false},
    {ID_FILE_OPEN, "Open", false, "O", KeyWindow::Image, "Ctrl+O"},
    {ID_FILE_CLOSE, "Close", false},
    {ID_FILE_SAVE, "Save", false, "S", KeyWindow::Image},
    {ID_FILE_SAVE_AS, "Save As...", false},
    {ID_FILE_PRINT, "Print", false},
    {ID_FILE_PRINT_PREVIEW, "Print Preview", false},
    {ID_FILE_PRINT_SETUP, "Print Setup", false},
    {ID_FILE_MRU_FILE1, "Latest Files", false},
    {ID_RETURN_VIDEO, "Return to Video", false, "V", KeyWindow::Image},
    {ID_VIEW_IMAGE_TOOLBAR, "ToolBar", true},
    {ID_VIEW_IMAGE_STATUSBAR, "StatusBar", true},
    {ID_IMAGE_NORMAL, "Normal", true},
    {ID_IMAGE_ZOOM, "Magnifier", true, "Z", KeyWindow::Image},
    {ID_IMAGE_MESURE_LINE, "Line", true, "L", KeyWindow::Image},
    {ID_IMAGE_MEASURE_CIRCLE0, "Circle: Two Points", true},
    {ID_IMAGE_MEASURE_CIRCLE1, "Circle: Centre and Radius", true, "C", KeyWindow::Image},
    {ID_IMAGE_MEASURE_CIRCLE2, "Circle: Three Points", true},
    {ID_IMAGE_MEASURE_ELLIPSE0, "Ellipse: Two Points", true, "E", KeyWindow::Image},
    {ID_IMAGE_MEASURE_ELLIPSE1, "Ellipse: Centre and Point", true},
    {ID_IMAGE_MEASURE_RECT, "Rectangle", true, "R", KeyWindow::Image},
    {ID_IMAGE_MEASURE_ANGLE, "Angle", true, "A", KeyWindow::Image},
    {ID_IMAGE_MEASURE_POLYLINE, "Polygon", true, "P", KeyWindow::Image},
    {ID_IMAGE_MEASURE_TEXT, "Text", true, "T", KeyWindow::Image},
    {ID_IMAGE_MEASURE_DELETE, "Clear Select", false, "Del", KeyWindow::Image},
    {ID_IMAGE_MEASURE_DELETEALL, "Clear All", false},
    {ID_IMAGE_SETTINGS_RULER, "Ruler", true},
    {ID_IMAGE_SETTINGS_PEN, "Color", true},
    {ID_IMAGE_SETTINGS_TEXT, "Font", true},
    {ID_BUTTON_IMAGEALL, "All Image Bars", true},
    {ID_VIEW_RESULTS, "Results", true},
    {ID_VIEW_ZOOM_IN, "Zoom In", false, "Ctrl++; Ctrl+=", KeyWindow::Image},
    {ID_VIEW_ZOOM_OUT, "Zoom Out", false, "Ctrl+-", KeyWindow::Image},
    {ID_VIEW_ACTUAL_SIZE, "Actual Size", false, "Ctrl+0", KeyWindow::Image},
    {ID_VIEW_FIT_WINDOW, "Fit to Window", false, "Ctrl+9", KeyWindow::Image},
    {ID_CALIBRATE_MICROMETER, "Calibrate from Micrometer...", false},
    {ID_CALIBRATION_NEW_PROFILE, "New Calibration Profile...", false},
    {ID_CALIBRATION_DELETE_PROFILE, "Delete Calibration Profile", false},
    {ID_EDIT_UNDO_STEP, "Undo", false, nullptr, KeyWindow::None, "Ctrl+Z"},
    {ID_EDIT_REDO_STEP, "Redo", false, nullptr, KeyWindow::None, "Ctrl+Shift+Z; Ctrl+Y"},
    {ID_FILE_IMPORT_PICTURE, "Import Picture...", false},
    {ID_FILE_EXPORT_CSV, "Export CSV...", false},
    {ID_OVERLAY_SCALEBAR, "Scale Bar", true},
    {ID_OVERLAY_CROSS, "Reticle: Cross", true},
    {ID_OVERLAY_GRID, "Reticle: Grid", true},
    {ID_OVERLAY_SETTINGS, "Overlay Settings...", false},
    {ID_OVERLAY_IN_CAPTURES, "Overlay in Captures", true},
    {ID_IMAGE_SCALEBAR, "Scale Bar", true},
    {ID_FILE_EXPORT_TIFF, "Export TIFF...", false},
};

constexpr int kVideoButtons[] = {
    ID_CAPTURE_MEASURE,   ID_VIDEO_CAPTURE,        ID_VIDEO_TIMERCAPTURE, ID_CAPTURE_SETTING,
    ID_VIDEO_RECORD,      ID_BUTTON_RecordSetting, ID_VIDEO_MANUALWB,     ID_VIDEO_SHOWCOLORBAR,
    ID_VIDEO_SHOWSIZEBAR, ID_VIDEO_FILLWINDOW,     ID_BUTTON_ALLBTN,      ID_BUTTON_FREEZE};

constexpr int kImageButtons[] = {ID_FILE_OPEN,
                                 ID_FILE_SAVE,
                                 ID_RETURN_VIDEO,
                                 0,
                                 ID_IMAGE_NORMAL,
                                 ID_IMAGE_MEASURE_DELETE,
                                 ID_IMAGE_MEASURE_DELETEALL,
                                 ID_EDIT_UNDO_STEP,
                                 ID_EDIT_REDO_STEP,
                                 ID_IMAGE_ZOOM,
                                 0,
                                 ID_IMAGE_MESURE_LINE,
                                 ID_IMAGE_MEASURE_CIRCLE1,
                                 ID_IMAGE_MEASURE_CIRCLE0,
                                 ID_IMAGE_MEASURE_CIRCLE2,
                                 0,
                                 ID_IMAGE_MEASURE_ELLIPSE1,
                                 ID_IMAGE_MEASURE_ELLIPSE0,
                                 ID_IMAGE_MEASURE_RECT,
                                 ID_IMAGE_MEASURE_ANGLE,
                                 ID_IMAGE_MEASURE_POLYLINE,
                                 0,
                                 ID_IMAGE_MEASURE_TEXT,
                                 ID_IMAGE_SETTINGS_TEXT,
                                 ID_IMAGE_SETTINGS_RULER,
                                 ID_IMAGE_SETTINGS_PEN,
                                 ID_BUTTON_IMAGEALL};

} // namespace

std::span<const CommandInfo> commandTable()
{
    return kCommands;
}

std::span<const int> videoToolBarButtons()
{
    return kVideoButtons;
}

std::span<const int> imageToolBarButtons()
{
    return kImageButtons;
}
