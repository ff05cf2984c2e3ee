#include "app/shell/command_prompts.h"

#include <iterator>

#include "app/shell/command_ids.h"
#include "app/shell/ui_text.h"

namespace {

struct Prompt
{
    int id;
    const char* english;
    const char* simplified;
    const char* traditional;
};

constexpr Prompt kPrompts[] = {
    // Older commands whose names the tool-tip files' list never had.
    {cmd::ID_HELP_CONTENTS, "Open the manual", "打开使用手册", "開啟使用手冊"},
    {cmd::IDM_FANTICHINESELANGUAGE, "Use Traditional Chinese", "使用繁体中文", "使用繁體中文"},
    {cmd::ID_VIDEO_CROSSLINE, "Show or hide the cross-hair on the live picture",
     "在实时图像上显示或隐藏十字线", "在即時圖像上顯示或隱藏十字線"},
    {cmd::ID_DEVICE_CONNECTDEVICE, "Connect the camera", "连接相机", "連接相機"},
    {cmd::ID_VIDEO_HIGHQUALITY, "Set by the camera; not adjustable here", "由相机决定，此处不可调",
     "由相機決定，此處不可調"},
    {cmd::ID_VIEW_ZOOM_IN, "Show the picture larger", "放大显示图像", "放大顯示圖像"},
    {cmd::ID_VIEW_ZOOM_OUT, "Show the picture smaller", "缩小显示图像", "縮小顯示圖像"},
    {cmd::ID_VIEW_ACTUAL_SIZE, "Show the picture at its own size (100%)",
     "按原始大小显示图像 (100%)", "按原始大小顯示圖像 (100%)"},
    {cmd::ID_VIEW_FIT_WINDOW, "Show the whole picture in the window", "在窗口中显示整幅图像",
     "在視窗中顯示整幅圖像"},
    {cmd::ID_EDIT_UNDO_STEP, "Undo the last change of the measurements", "撤销上一次测量修改",
     "復原上一次測量修改"},
    {cmd::ID_EDIT_REDO_STEP, "Redo the change last undone", "重做上一次撤销的修改",
     "重做上一次復原的修改"},
    {cmd::ID_FILE_IMPORT_PICTURE, "Open a JPEG, PNG or TIFF picture for measuring",
     "打开 JPEG、PNG 或 TIFF 图像进行测量", "開啟 JPEG、PNG 或 TIFF 圖像進行測量"},
    {cmd::ID_FILE_EXPORT_CSV, "Save the measured values as a CSV table", "将测量值保存为 CSV 表格",
     "將測量值儲存為 CSV 表格"},
    {cmd::ID_VIEW_RESULTS, "Show or hide the table of measured values", "显示或隐藏测量结果表",
     "顯示或隱藏測量結果表"},
    {cmd::ID_CALIBRATE_MICROMETER, "Find the scale from a stage micrometer along a drawn line",
     "沿所画直线从载物台测微尺求出比例", "沿所畫直線從載物台測微尺求出比例"},
    {cmd::ID_CALIBRATION_NEW_PROFILE, "Start a calibration profile for an objective",
     "为物镜新建标定方案", "為物鏡新建標定方案"},
    {cmd::ID_CALIBRATION_DELETE_PROFILE, "Delete the calibration profile in use",
     "删除当前标定方案", "刪除目前標定方案"},
    {cmd::ID_OVERLAY_SCALEBAR, "Show or hide the scale bar on the live picture",
     "在实时图像上显示或隐藏比例尺", "在即時圖像上顯示或隱藏比例尺"},
    {cmd::ID_OVERLAY_CROSS, "Show or hide a calibrated cross on the live picture",
     "在实时图像上显示或隐藏标定十字线", "在即時圖像上顯示或隱藏標定十字線"},
    {cmd::ID_OVERLAY_GRID, "Show or hide a calibrated grid on the live picture",
     "在实时图像上显示或隐藏标定网格", "在即時圖像上顯示或隱藏標定網格"},
    {cmd::ID_OVERLAY_SETTINGS, "Choose the scale bar's length, corner and colour",
     "设置比例尺的长度、位置和颜色", "設定比例尺的長度、位置和顏色"},
    {cmd::ID_OVERLAY_IN_CAPTURES, "Put the scale bar and reticle into captures and recordings",
     "将比例尺和十字线写入拍摄的图像和录影", "將比例尺和十字線寫入拍攝的圖像和錄影"},
    {cmd::ID_IMAGE_SCALEBAR, "Add a scale bar to printed and exported pictures",
     "在打印和导出的图像上加比例尺", "在列印和匯出的圖像上加比例尺"},
    {cmd::ID_FILE_EXPORT_TIFF, "Save the picture as a calibrated TIFF file",
     "将图像保存为带标定的 TIFF 文件", "將圖像儲存為帶標定的 TIFF 檔案"},
};

} // namespace

QString builtInPrompt(int language, int commandId)
{
    for (const Prompt& prompt : kPrompts)
        if (prompt.id == commandId)
            return uiText(language, prompt.english, prompt.simplified, prompt.traditional);
    return {};
}
