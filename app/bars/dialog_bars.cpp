#include "app/bars/dialog_bars.h"

#include "app/bars/capture_bar.h"
#include "app/bars/colour_bar.h"
#include "app/bars/lights_bar.h"
#include "app/bars/magnifier_bar.h"
#include "app/bars/pen_bar.h"
#include "app/bars/record_bar.h"
#include "app/bars/ruler_bar.h"
#include "app/bars/ruler_measure_bar.h"
#include "app/bars/size_bar.h"
#include "app/bars/text_bar.h"
#include "app/bars/video_setting_bar.h"

DialogBars DialogBars::create(const FrameSettings& settings, bool cameraOpen)
{
    DialogBars bars;
    // The capture bar first: the capture settings are on it from the start.
    bars.capture = new CaptureBar(settings);
    bars.record = new RecordBar(settings);
    bars.size = new SizeBar(settings.captureSizeIndex);
    bars.lights = new LightsBar(settings.frequency);
    bars.colour = new ColourBar(settings);
    bars.magnifier = new MagnifierBar(settings.zoomRate);
    bars.ruler = new RulerBar(settings);
    bars.pen = new PenBar(settings);
    bars.text = new TextBar(settings);
    bars.videoSetting = new VideoSettingBar(settings, cameraOpen);
    bars.rulerMeasure = new RulerMeasureBar(settings);
    return bars;
}

DialogBar* DialogBars::at(Bar which) const
{
    switch (which)
    {
    case Bar::Size:
        return size;
    case Bar::Lights:
        return lights;
    case Bar::VideoSetting:
        return videoSetting;
    case Bar::Colour:
        return colour;
    case Bar::Capture:
        return capture;
    case Bar::Record:
        return record;
    case Bar::Magnifier:
        return magnifier;
    case Bar::Ruler:
        return ruler;
    case Bar::Pen:
        return pen;
    case Bar::Text:
        return text;
    case Bar::RulerMeasure:
        return rulerMeasure;
    }
    return nullptr;
}
