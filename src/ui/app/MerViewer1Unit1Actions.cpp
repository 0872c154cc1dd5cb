// The main window's actions: the Image action with its directory walk, the Data action, the
// TimeZone action and the display conversion.

#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>

#include "core/decode/ArchiveNames.h"
#include "core/imaging/ImageFile.h"
#include "core/time/EarthTime.h"
#include "platform/FileNames.h"
#include "ui/app/FileBrowser.h"
#include "ui/app/ImageView.h"
#include "ui/app/ImageWalk.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/PicturePrefetch.h"
#include "ui/app/Workbench.h"
#include "ui/colour/ColourAltUnit20.h"
#include "ui/pages/LabelUnit32.h"
#include "ui/pages/LargeImageUnit7.h"
#include "ui/time/EarthTimeUnit3.h"
#include "ui/time/MartianTimeUnit13.h"

namespace keldar::ui {

namespace {

QString text(const std::string& value) { return QString::fromStdString(value); }

// "none" from a code table leaves the display as it was.
void setIfPresent(QString& display, const std::optional<std::string>& value) {
    if (value) display = text(*value);
}

bool hasPictureExtension(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg") || suffix == QLatin1String("bmp") ||
           suffix == QLatin1String("img");  // PDS products, shown stretched to 8 bits
}

}  // namespace

// The main window as the host of the directory walk.
class MainWindowWalk final : public ImageWalkHost {
public:
    explicit MainWindowWalk(TForm1& window) : window_(window) {}
    int fileCount() override { return window_.browser_->fileCount(); }
    int selectedIndex() override { return window_.browser_->selectedIndex(); }
    void select(int index) override { window_.browser_->setSelectedIndex(index); }
    QString selectedPath() override { return window_.browser_->selectedFilePath(); }
    void prepareAttempt(const QString& path) override { window_.prepareLoadAttempt(path); }
    bool loadPicture(const QString& path) override { return window_.loadPicture(path); }
    void stopSlideshowAndSearch() override {
        window_.stopSlideshow();
        emit window_.walkStoppedAtEnd();
    }
    void information(const QString& message) override { window_.platform_.information(&window_, message); }
    void warning(const QString& message) override { window_.platform_.warning(&window_, message); }

private:
    TForm1& window_;
};

void TForm1::runImageAction() { runImageWalkAction(false); }

void TForm1::runImageWalkAction(bool openSelected) {
    workbench_.setViewStretch(state_.options.thumbnailsAsFullsize);
    // The landing times of both rovers are constants of the time core.
    ImageWalkOptions options{state_.options.loop, state_.steppingBack, slideshowBox_->isChecked()};
    options.openSelected = openSelected;
    const int selected = browser_->selectedIndex();
    options.backward = selected >= 0 && selected < lastShownIndex_;
    state_.steppingBack = false;
    MainWindowWalk host(*this);
    const ImageWalkResult walk = runImageWalk(host, options);
    lastShownIndex_ = browser_->selectedIndex();
    // Read on while this one is shown; the step after it then finds its picture ready.
    if (walk.loaded) prefetchNextPicture(options.backward);
    state_.fileCount = walk.fileCount;
    state_.fileIndex = walk.fileIndex;
    state_.countText = walk.countText;
    state_.positionText = walk.positionText;
    runDataAction();
    runDisplayConversion();
}

void TForm1::prepareLoadAttempt(const QString& path) {
    state_.currentFilePath = path;
    state_.currentDirectory = browser_->directory();
    if (!state_.homeCaptured) {
        state_.homeDirectory = state_.currentDirectory;
        state_.homeCaptured = true;
    }
    const CategoryDirectories categories = categoryDirectoriesFor(state_.homeDirectory);
    state_.anaglyphDirectory = categories.anaglyphs;
    state_.colourDirectory = categories.colour;
    state_.allImagesDirectory = categories.allImages;
    state_.rgbDirectory = categories.rgb;
    showFilePath();
    emit directoriesChanged();
}

bool TForm1::loadPicture(const QString& path) {
    // A name without a picture extension is not a picture; one with it that cannot be opened
    // is an error that ends the action; content that does not decode is skipped. The file is
    // reached by its real bytes, whatever they are.
    if (!hasPictureExtension(path)) return false;
    const QByteArray bytes = platform::fileNameToBytes(path);
    const QString shown = platform::displayFileName(path);
    struct stat info {};
    if (::stat(bytes.constData(), &info) != 0)
        throw std::runtime_error("Cannot open \"" + shown.toStdString() + "\": the file no longer exists.");
    if (::access(bytes.constData(), R_OK) != 0)
        throw std::runtime_error("Cannot open \"" + shown.toStdString() + "\": permission denied.");
    const std::string file = bytes.toStdString();
    // The same reader on the worker, so a picture read ahead is the one read here.
    for (const std::unique_ptr<PicturePrefetch>& prefetch : prefetch_) {
        if (!prefetch->holds(file)) continue;
        if (std::optional<PreparedPicture> ready = prefetch->take(file, fileStampOf(info))) {
            if (!ready->picture) return false;
            image1_->setPicture(std::move(ready->picture), ready->scaled);
            return true;
        }
    }
    // Read here as the worker would have read it: only what the views show is decoded now.
    if (std::optional<PreparedPicture> ready = PicturePrefetch::readNow(file, visibleViewTargets())) {
        if (!ready->picture) return false;
        image1_->setPicture(std::move(ready->picture), ready->scaled);
        return true;
    }
    imaging::ImageResult result = imaging::readImageFile(file);
    if (!result.ok()) return false;
    image1_->setPicture(makePicture(std::move(result.image)));
    return true;
}

std::vector<ViewTarget> TForm1::visibleViewTargets() const {
    std::vector<ViewTarget> views;
    for (const ImageView* view : {image1_, &workbench_.largeImagePage().imageView()})
        if (view->isVisible()) views.push_back({view->size(), view->stretch()});
    return views;
}

void TForm1::prefetchNextPicture(bool backward) {
    const int count = browser_->fileCount();
    const int current = browser_->selectedIndex();
    if (count < 2 || current < 0) return;
    const std::vector<ViewTarget> views = visibleViewTargets();
    // The walk skips names that are not pictures without reading them; so does this.
    int next = current;
    int requested = -1;
    for (int passed = 1; passed < count; ++passed) {
        next = backward ? next - 1 : next + 1;
        if (next < 0 || next >= count) {
            if (!state_.options.loop) return;
            next = backward ? count - 1 : 0;
        }
        if (next == current) return;
        const QString path = browser_->filePathAt(next);
        if (!hasPictureExtension(path)) continue;
        // A file of the same parity as the one asked for first would take its place.
        if (requested >= 0 && next % 2 == requested % 2) return;
        prefetch_[static_cast<std::size_t>(next % 2)]->request(platform::fileNameToBytes(path).toStdString(), views);
        if (requested >= 0) return;
        requested = next;
    }
}

void TForm1::waitForReadAhead() const {
    for (const std::unique_ptr<PicturePrefetch>& prefetch : prefetch_) prefetch->waitIdle();
}

void TForm1::runTimeZoneAction() {
    state_.displays.timeZoneText = platform_.timeZoneName();
    workbench_.largeImagePage().setTimeZoneText(state_.displays.timeZoneText);
    workbench_.earthTimePage().setTimeZoneText(state_.displays.timeZoneText);
    showDisplays();
}

void TForm1::runDataAction() {
    MainDisplays& d = state_.displays;
    runTimeZoneAction();
    d.filePositionText = QStringLiteral("Using File ") + state_.positionText + QStringLiteral(" of ") + state_.countText;
    d.fileNameField = browser_->selectedFileName();

    // Decoding, Earth and Mars times in one computation; the rover display as it stands now
    // decides the Mars time of a name whose rover has no row in the table.
    time::CarriedState previous = state_.carried;
    previous.roverTextDisplay = d.roverText.toStdString();
    // Archive volumes write names in lower case; on request they are read as the upper-case
    // identifiers printed on the products.
    const std::string name = state_.options.acceptLowerCaseNames
                                 ? decode::upperCaseArchiveName(d.fileNameField.toStdString())
                                 : d.fileNameField.toStdString();
    const time::ImageDataResult r = time::computeImageData(name, previous, time::LocaleNames::current());

    setIfPresent(d.roverText, r.roverText);
    setIfPresent(d.locationText, r.locationText);
    setIfPresent(d.cameraText, r.cameraText);
    d.clockDisplay = text(r.clockDisplay);
    d.productTypeText = text(r.productTypeText);
    d.site = text(r.site);
    d.drive = text(r.drive);
    d.sequence = text(r.sequence);
    setIfPresent(d.categoryText, r.categoryText);
    d.sequenceNumberDisplay = text(r.sequenceNumberDisplay);
    d.sequenceRangeText = text(r.sequenceRangeText);
    setIfPresent(d.eyeText, r.eyeText);
    // A name that is not a product has no stereo line of its own; the last picture's is not kept.
    if (!r.decoded.validIdentifier && !r.decoded.combinedProduct)
        d.stereoStatus = {};
    else if (r.stereoStatus)
        d.stereoStatus = *r.stereoStatus;
    d.filterText = text(r.filterText);
    setIfPresent(d.producerText, r.producerText);
    d.versionText = text(r.versionText);
    d.utcTimeText = text(r.utcTimeText);
    d.solText = text(r.solText);
    d.identifierText = text(r.identifierText);
    d.rightEyeNameText = text(r.rightEyeNameText);
    d.leftEyeNameText = text(r.leftEyeNameText);

    state_.decoded = r.decoded;
    workbench_.colourComposer().setEyePrefix(text(r.decoded.eyePrefix));
    state_.carried = r.next;
    state_.captureTime = r.captureTime;
    state_.localCaptureTime = r.localCaptureTime;
    state_.mars = r.mars;
    state_.missionRecord = time::missionTimeOf(r.decoded);
    workbench_.largeImagePage().setMissionRecord(state_.missionRecord);
    workbench_.largeImagePage().setLocationNumbers(
        QString::fromStdString(decode::locationCounterText(decode::decodeLocationCounter(r.decoded.site))),
        QString::fromStdString(decode::locationCounterText(decode::decodeLocationCounter(r.decoded.drive))));
    workbench_.earthTimePage().setMissionRecord(state_.missionRecord);
    workbench_.martianTimePage().setMissionRecord(state_.missionRecord);
    if (TForm32* labels = workbench_.labelPageIfMade(); labels != nullptr && labels->isVisible())
        labels->showLabelOf(state_.currentFilePath);

    // The Mars time computation, through the Martian time page's hidden command.
    workbench_.martianTimePage().runMartianTimeGo();
    const MartianTimeTexts& mars = workbench_.martianTimePage().texts();
    // Computed from the carried clock, they are another picture's times: not shown as this one's.
    const auto own = [&r](const QString& value) {
        return r.ownTimes ? value
                          : QString::fromLatin1(time::kInvalid.data(), static_cast<qsizetype>(time::kInvalid.size()));
    };
    d.transpiredSols = own(mars.transpiredSols);
    d.transpiredHours = own(mars.transpiredHours);
    d.transpiredMinutes = own(mars.transpiredMinutes);
    d.transpiredSeconds = own(mars.transpiredSeconds);
    d.marsTimeText = own(mars.marsTimeText);
    workbench_.largeImagePage().setMarsTimeText(d.marsTimeText);

    d.localTimeText = text(r.localTimeText);
    workbench_.largeImagePage().setLocalTimeText(d.localTimeText);
    workbench_.earthTimePage().setLocalCaptureText(d.localTimeText);

    state_.eyeLetterVariable = QStringLiteral("x");
    state_.directoryText = state_.currentDirectory;
    copyToLargeImagePage();
    showDisplays();

    state_.rightEyeFound = true;
    state_.leftEyeFound = true;
    if (state_.options.stereoAutoshow) runAutoshowStep();
}

void TForm1::copyToLargeImagePage() {
    const MainDisplays& d = state_.displays;
    LargeImageProductTexts product;
    product.identifierText = d.identifierText;
    product.roverText = d.roverText;
    product.locationText = d.locationText;
    product.solText = d.solText;
    product.cameraText = d.cameraText;
    product.utcTimeText = d.utcTimeText;
    product.productTypeText = d.productTypeText;
    product.site = d.site;
    product.drive = d.drive;
    product.sequence = d.sequence;
    product.categoryText = d.categoryText;
    product.sequenceRangeText = d.sequenceRangeText;
    product.filterText = d.filterText;
    product.eyeText = d.eyeText;
    product.producerText = d.producerText;
    product.versionText = d.versionText;
    workbench_.largeImagePage().setProductTexts(product);
}

void TForm1::runDisplayConversion() {
    // Whatever was loaded, the main image and the large-image page end with the same 24-bit
    // picture. Pictures never change once made, so the page and the state share the main
    // image's (the page with what was scaled for it).
    const SharedPicture& picture = image1_->sharedPicture();
    state_.sourceBitmap = picture;
    state_.displayBitmap = picture;
    workbench_.largeImagePage().setPicture(picture, image1_->displayImages());
}

void TForm1::showLargeImage() {
    TForm7& page = workbench_.largeImagePage();
    page.setPicture(image1_->sharedPicture(), image1_->displayImages());
    page.showPage();
}

}  // namespace keldar::ui
