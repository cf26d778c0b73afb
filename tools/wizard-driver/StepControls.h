// The control ids of Vantrel's wizard steps that the driver uses, as the
// step templates of the language module number them.
#pragma once

namespace step_controls {

// Every step.
constexpr int kStatusLine = 1004;
constexpr int kProgressBar = 200;

// Step 1: the device list, whose last row opens an image file.
constexpr int kDeviceList = 1001;
constexpr int kSelectNext = 1002;
constexpr int kRefresh = 1003;
constexpr long kImageFileRowData = -1;

// Step 2 and step 3 share the place of Next.
constexpr int kNext = 1005;
constexpr int kDeletedBox = 1007;
constexpr int kStatusList = 1018;

// Step 4.
constexpr int kFileList = 1019;
constexpr int kTickAll = 1020;
constexpr int kCopy = 1023;
constexpr int kDestination = 1022;

// The file name box of the common open dialog.
constexpr int kFileNameBox = 0x47C;

}  // namespace step_controls
