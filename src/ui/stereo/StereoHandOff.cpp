#include "ui/stereo/StereoHandOff.h"

#include <stdexcept>

#include <QFile>
#include <QFileInfo>

#include "core/decode/ProductIdentifier.h"
#include "core/imaging/ImageFile.h"
#include "ui/app/ImageView.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/StereoPartner.h"
#include "ui/app/ViewerState.h"
#include "ui/app/Workbench.h"
#include "ui/stereo/ManualStereoUnit11.h"
#include "ui/stereo/StereoUnit2.h"

namespace keldar::ui {

namespace {

QString partnerName(const ViewerState& state, StereoEye eye) {
    return QString::fromStdString(eye == StereoEye::Right ? state.decoded.rightEyeName : state.decoded.leftEyeName);
}

ImageView& viewFor(TForm2& viewer, StereoEye eye) {
    return eye == StereoEye::Right ? viewer.rightEyeView() : viewer.leftEyeView();
}

}  // namespace

QString stereoPartnerFile(const ViewerState& state, StereoEye eye) {
    const QString name = partnerName(state, eye);
    // "N/A" (an eye other than L or R) would read as a path; it names no partner.
    if (name.isEmpty() || name == QString::fromStdString(std::string(decode::kNotApplicable))) return {};
    const QString found = findPartnerFile(state.directoryText, name);
    if (!found.isEmpty() || !state.options.acceptLowerCaseNames) return found;
    // The archive's own names: lower case, and browse pictures named "<id>.img.jpg".
    for (const QString& archiveName : {name.toLower(), name.toLower() + QStringLiteral(".img")}) {
        if (QString lower = findPartnerFile(state.directoryText, archiveName); !lower.isEmpty()) return lower;
    }
    return {};
}

QString stereoPartnerFileLine(const ViewerState& state, StereoEye eye) {
    const QString found = stereoPartnerFile(state, eye);
    if (!found.isEmpty()) return QFileInfo(found).fileName();
    return partnerName(state, eye) + QStringLiteral(".jpg");
}

bool loadStereoPartner(Workbench& workbench, StereoEye eye) {
    const QString path = stereoPartnerFile(workbench.mainWindow().viewerState(), eye);
    if (path.isEmpty()) return false;
    imaging::ImageResult result = imaging::readImageFile(QFile::encodeName(path).toStdString());
    if (!result.ok()) throw std::runtime_error(result.error);
    viewFor(workbench.stereoViewer(), eye).setPicture(result.image);
    return true;
}

void loadStereoPartners(Workbench& workbench) {
    ViewerState& state = workbench.mainWindow().viewerState();
    state.rightEyeFound = loadStereoPartner(workbench, StereoEye::Right);
    state.leftEyeFound = loadStereoPartner(workbench, StereoEye::Left);
}

void runStereoHandOff(Workbench& workbench) {
    const ViewerState& state = workbench.mainWindow().viewerState();
    const MainDisplays& d = state.displays;
    TForm2& viewer = workbench.stereoViewer();

    viewer.rightEyeView().setVisible(true);
    viewer.leftEyeView().setVisible(true);
    if (state.rightEyeFound) {
        viewer.setLine(StereoLine::RightEyeFile, stereoPartnerFileLine(state, StereoEye::Right));
    } else {
        viewer.setLine(StereoLine::RightEyeFile, kRightEyeFileMissing);
        viewer.rightEyeView().setVisible(false);
    }
    if (state.leftEyeFound) {
        viewer.setLine(StereoLine::LeftEyeFile, stereoPartnerFileLine(state, StereoEye::Left));
    } else {
        viewer.setLine(StereoLine::LeftEyeFile, kLeftEyeFileMissing);
        viewer.leftEyeView().setVisible(false);
    }
    viewer.setLine(StereoLine::Rover, d.roverText);
    viewer.setLine(StereoLine::Sol, d.solText);
    viewer.setLine(StereoLine::Utc, d.utcTimeText);
    viewer.setLine(StereoLine::Local, QStringLiteral("Local Earth time: ") + d.localTimeText);
    viewer.setLine(StereoLine::MarsTime, QStringLiteral("Local Martian Standard time: SOL ") + d.solText +
                                             QStringLiteral(": ") + d.marsTimeText + QStringLiteral(" Martian Hrs."));
    viewer.setLine(StereoLine::Camera, d.cameraText);
    if (state.showStereo) viewer.showPage();
}

void runManualStereoHandOff(Workbench& workbench) {
    TForm1& main = workbench.mainWindow();
    main.viewerState().showStereo = true;
    main.setOption(&ViewerOptions::stereoAutoshow, false);

    const MainDisplays& d = main.viewerState().displays;
    ManualStereoCurrent current;
    current.picture = main.mainImage().picture();
    current.eye = d.eyeText;
    current.filter = d.filterText;
    current.fileName = d.fileNameField;
    current.earthTime = d.utcTimeText + QStringLiteral(" (UTC)");
    current.rover = d.roverText;
    current.sol = d.solText;
    current.camera = d.cameraText;
    TForm11& page = workbench.manualStereoPage();
    page.setCurrent(current);
    page.showPage();
}

void runStereoAction(Workbench& workbench) {
    TForm1& main = workbench.mainWindow();
    main.runImageAction();
    ViewerState& state = main.viewerState();
    state.showStereo = true;
    state.rightEyeFound = true;
    state.leftEyeFound = true;
    if (state.displays.stereoStatus.text == decode::kMonoscopic) {
        workbench.platform().information(&main, kMonoscopicMessage);
        return;
    }
    if (state.displays.rightEyeNameText == QLatin1String("N/A")) return;
    loadStereoPartners(workbench);
    TForm2& viewer = workbench.stereoViewer();
    viewer.setLine(StereoLine::Directory, state.directoryText);
    viewer.setLine(StereoLine::RightEyeFilter, state.displays.filterText);
    viewer.setLine(StereoLine::LeftEyeFilter, state.displays.filterText);
    runStereoHandOff(workbench);
}

void runAutoshowStep(Workbench& workbench) {
    TForm1& main = workbench.mainWindow();
    loadStereoPartners(workbench);
    ViewerState& state = main.viewerState();
    // Without a complete pair nothing else changes: the selection stays on the image that is
    // shown, so the user's next step does not pass over the entry after it.
    if (state.rightEyeFound && state.leftEyeFound) {
        state.showStereo = true;
        runStereoHandOff(workbench);
    }
}

}  // namespace keldar::ui
