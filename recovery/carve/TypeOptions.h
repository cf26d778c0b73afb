// The file types the built-in tests look for, as the options step's type
// boxes and vantrel-recover's --types set them.
#pragma once

struct TypeOptions {
  bool wantJpeg = false;
  bool wantVideo = false;
  bool wantAvi = false;
  bool wantMp3 = false;
  bool wantTiff = false;
  bool wantOthers = false;

  // As a run takes them: "others" brings the four main kinds along, and no
  // box ticked means every type except TIFF.
  void normalise() {
    if (wantOthers) {
      wantJpeg = wantVideo = wantAvi = wantMp3 = true;
    } else if (!wantJpeg && !wantVideo && !wantAvi && !wantMp3) {
      wantJpeg = wantVideo = wantAvi = wantMp3 = wantOthers = true;
    }
  }
};
