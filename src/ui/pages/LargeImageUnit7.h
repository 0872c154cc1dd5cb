#pragma once

#include <initializer_list>
#include <utility>

#include <QImage>
#include <QString>

#include "core/imaging/ImageBuffer.h"
#include "core/time/MissionTime.h"
#include "ui/app/ImageConversion.h"
#include "ui/app/Page.h"

class QLabel;
class QPushButton;

namespace keldar::ui {

class ImageView;
class MissionRecordGroup;

// The sixteen product values the Data action copies to the page, in the order it copies them.
struct LargeImageProductTexts {
    QString identifierText = QStringLiteral("FILE");
    QString roverText = QStringLiteral("0");
    QString locationText = QStringLiteral("Locale");
    QString solText = QStringLiteral("0");
    QString cameraText = QStringLiteral("Camera");
    QString utcTimeText = QStringLiteral("Earthtime");
    QString productTypeText = QStringLiteral("Image Type");
    QString site = QStringLiteral("0");
    QString drive = QStringLiteral("0");
    QString sequence = QStringLiteral("Command sequence");
    QString categoryText = QStringLiteral("Category");
    QString sequenceRangeText = QStringLiteral("Code");
    QString filterText = QStringLiteral("Filter");
    QString eyeText = QStringLiteral("Eye");
    QString producerText = QStringLiteral("Producer");
    QString versionText = QStringLiteral("0");
};

// Everything the page shows beside the picture; the three time texts have their own writers.
struct LargeImageTexts {
    LargeImageProductTexts product;
    QString timeZoneText = QStringLiteral("TZ");
    QString localTimeText = QStringLiteral("Earthtime");
    QString marsTimeText = QStringLiteral("Label32");
};

// The large-image page: the current image in a large square beside its decoded fields and times,
// with buttons to step through the directory, run the slideshow and print or copy the page.
class TForm7 : public Page {
    Q_OBJECT
public:
    TForm7(Workbench& workbench, platform::Platform& platform);

    // The page's picture becomes a copy of `image`; it is repainted and the page shown.
    void showImage(const QImage& image);

    // --- The commands of the buttons ---
    void previousImage();       // "Previous Image": the main window's selection one back
    void nextImage();           // "Next Image": one forward
    void slideshowStartStop();  // "Slideshow Start/Stop": the main menu's item
    void printPage();           // "Print" / "Clipboard": the page's client area
    void closePage();           // "Close": stops any slideshow, then closes

    // Sets the print button's caption from the print/clipboard switch.
    void updatePrintCaption();

    const LargeImageTexts& texts() const { return texts_; }
    void setProductTexts(const LargeImageProductTexts& product);
    void setTimeZoneText(const QString& text);
    void setLocalTimeText(const QString& text);
    void setMarsTimeText(const QString& text);
    // The published mission record of the image and its site and drive counters as numbers,
    // shown beside the classic figures.
    void setMissionRecord(const std::optional<time::MissionTime>& record);
    void setLocationNumbers(const QString& site, const QString& drive);

    // The page's picture becomes a copy of `picture`.
    void setPicture(const imaging::ImageBuffer& picture);
    // The page shares `picture`; `ready` as ImageView::setPicture.
    void setPicture(SharedPicture picture, const std::vector<QImage>& ready = {});
    ImageView& imageView() const { return *picture_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void connectGuarded(QPushButton* button, void (TForm7::*command)());
    // Moves the main window's selection by `step`, runs its Image action, then shows the new
    // current image here as "Large Size Image" does.
    void stepMainWindow(int step);
    void showLinesNow(std::initializer_list<std::pair<QLabel*, QString>> lines);

    ImageView* picture_ = nullptr;
    QPushButton* printButton_ = nullptr;
    LargeImageTexts texts_;
    QLabel* identifier_ = nullptr;
    QLabel* rover_ = nullptr;
    QLabel* sol_ = nullptr;
    QLabel* marsTime_ = nullptr;
    QLabel* location_ = nullptr;
    QLabel* camera_ = nullptr;
    QLabel* utcTime_ = nullptr;
    QLabel* timeZone_ = nullptr;
    QLabel* localTime_ = nullptr;
    QLabel* productType_ = nullptr;
    QLabel* site_ = nullptr;
    QLabel* drive_ = nullptr;
    QLabel* sequence_ = nullptr;
    QLabel* category_ = nullptr;
    QLabel* sequenceRange_ = nullptr;
    QLabel* filter_ = nullptr;
    QLabel* eye_ = nullptr;
    QLabel* producer_ = nullptr;
    QLabel* version_ = nullptr;
    QLabel* siteNumber_ = nullptr;
    QLabel* driveNumber_ = nullptr;
    MissionRecordGroup* missionRecord_ = nullptr;
};

}  // namespace keldar::ui
