#include "imaging/samples.h"

#include <opencv2/highgui/highgui_c.h>
#include <opencv2/imgproc/imgproc_c.h>

#include <cstring>

namespace {

const CvScalar kWhite = cvScalar(255, 255, 255, 0);

struct Sample {
    const char* label;
    int offset;
};

}  // namespace

void PrepareSamplePicture(IplImage* image, const unsigned char* picture, const char* label) {
    std::memcpy(image->imageData, picture, kSamplePictureBytes);
    const int w = image->width;
    const int h = image->height;
    cvLine(image, cvPoint(0, h / 2 - 13), cvPoint(w, h / 2 - 13), kWhite, 1, 8, 0);
    cvLine(image, cvPoint(0, h / 2 + 13), cvPoint(w, h / 2 + 13), kWhite, 1, 8, 0);
    cvLine(image, cvPoint(30, 0), cvPoint(30, h), kWhite, 1, 8, 0);
    cvLine(image, cvPoint(w - 30, 0), cvPoint(w - 30, h), kWhite, 1, 8, 0);
    CvFont font;
    cvInitFont(&font, CV_FONT_HERSHEY_PLAIN, 3.0, 3.0, 0.0, 3, 8);
    cvPutText(image, label, cvPoint(50, 50), &font, kWhite);
}

void ShowSamplePictures(const unsigned char* sampleSet, int leftHanded) {
    IplImage* image = cvCreateImage(cvSize(640, 480), IPL_DEPTH_8U, 1);
    if (!image) return;
    const Sample right[2] = {{"RR Sample", 0}, {"RT Sample", kSamplePictureBytes}};
    const Sample left[2] = {{"LL Sample", 2 * kSamplePictureBytes}, {"LT Sample", 3 * kSamplePictureBytes}};
    for (const Sample& sample : leftHanded == 0 ? right : left) {
        PrepareSamplePicture(image, sampleSet + sample.offset, sample.label);
        // A plain window at the picture's full size, like the live windows.
        if (!cvGetWindowHandle(sample.label))
            cvNamedWindow(sample.label, CV_WINDOW_AUTOSIZE | CV_GUI_NORMAL);
        cvShowImage(sample.label, image);  // the window keeps a copy
    }
    cvReleaseImage(&image);
}
