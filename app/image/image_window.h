#pragma once
// Image windows: the document, its frame and its view.

#include "app/image/image_doc.h"
#include "app/image/image_frame.h"
#include "app/image/image_view.h"
