#include "ui/time/DataDecodingUnit10.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/app/Controls.h"
#include "ui/pages/WebAddresses.h"

namespace keldar::ui {

namespace {

// The codes and texts are those of the product identifier decoder's tables.
QString decodingKey() {
    return QStringLiteral(R"(File name code

This chart decodes the 27-character file names of the Mars Exploration
Rover raw images. It is all you need to pair images into stereograms,
to group them into colour pictures, and to tell when and where each raw
image was taken. Positions count from the first character of the name.

Position  1 2 3-11      12-14 15-16 17-18 19-23 24 25 26 27
Example   2 P 126471340 EDN   00    00    P2303 L  5  M  1

1    Spacecraft ID
     1  Opportunity, MER-1 (MER-B), at Meridiani Planum
     2  Spirit, MER-2 (MER-A), at Gusev Crater

2    Camera
     F  Forward HAZCAM (hazard avoidance camera, on the front)
     R  Rear HAZCAM (hazard avoidance camera, on the back)
     N  NAVCAM Navigational Camera (on the mast)
     P  PANCAM Panoramic Camera (on the mast)
     M  Microscopic Imager (on the robotic arm)
     E  EDLcam (Descent Imager), used while landing

3 to 11   Spacecraft clock
)") + QStringLiteral("     This is the number of seconds since January 1, 2000 \n") +
           QStringLiteral(R"(     at 11:58:55.816 UTC.
     Keldar turns it into the Earth time (UTC and your local time) and
     the Mars time of the exposure. Images whose clocks differ by a few
     seconds were taken at the same time of day.

12 to 14 Product type
     A code that begins with E is an EDR (Experiment Data Record): the
     image as the rover sent it to Earth. Codes that begin with another
     letter are products made from EDRs on Earth; in those, a final T
     marks a thumbnail, a final L a linearized image (lens distortion
     taken out) and a final N an image that is not linearized.
     The EDR codes:
     EFF  Full Frame EDR        the whole frame
     ESF  Sub Frame EDR         a window cut from the frame
     EDN  Downsampled EDR       the frame reduced in size on board
     ETH  Thumbnail EDR         a small preview of the frame
     ERS  Row Summed EDR        the rows added together
     ECS  Column Summed EDR     the columns added together
     ERP  Reference Pixels EDR  the camera's reference pixels
     EHG  Histogram EDR         the histogram of the frame

15 to 16 Site number
     The place where the rover stopped to work. 00 is the lander; the
     number goes up at every new site, and numbers past 99 carry
     letters (AU, for example).

17 to 18 Drive number
     The position of the rover within its site: it counts the moves
     since the rover arrived there, with letters past 99 as above.

19 to 23 Command sequence number (one letter, 4 numbers)
     The letter is the category of the command sequence:
     C  Cruise.
     D  IDD & RAT.
     E  Engineering.
     F  Flight Software.
     G  (Spare)
     K  (Spare)
     M  Master. (Surface only)
     N  In-Situ instr. (APXS, MB, MI.)
     P  PMA and Remote Sensing instrument.
     R  Rover Driving.
     S  Submaster.
     T  Test.
     W  Seq. triggered by a communications window.
     X  Contingency.
     Y  (Spare)
     Z  SCM Sequences.
     The four numbers run from 0000 to 4095. In the P category they
     tell the kind of sequence:
     0001 to 0499  Misc imaging setup/parm sequences.
     0500 to 0999  Unallocated, for possible future use.
     1000 to 1499  HAZCAM sequences.
     1500 to 1999  NAVCAM sequences.
     2000 to 2899  PANCAM sequences.
     2900 to 2999  MI (microscopic imager) sequences.
     3000 to 3999  Mini-TES sequences.
     4000 to 4095  Misc. PMA actuation sequences (deploy).

24    Camera eye
     L  Left Eye
     R  Right Eye
     M  Monoscopic (a camera with one eye)
     N  N/A (not applicable)
     A left and a right image with the same name apart from this letter
     were taken at the same moment through the same filter: together
     they make a stereo pair.

25    Camera Filter (PANCAM only, 0 otherwise)
     The two PANCAM eyes have filter wheels of their own:
     Left eye (L)                        Right eye (R)
     1  739nm (338nm bandpass)           1  436nm (37nm Shortpass)
     2  753nm (20nm bandpass)            2  754nm (20nm bandpass)
     3  673nm (16nm bandpass)            3  803nm (20nm bandpass)
     4  601nm (17nm bandpass)            4  864nm (17nm bandpass)
     5  535nm (20nm bandpass)            5  904nm (26nm bandpass)
     6  482nm (30nm bandpass)            6  934nm (25nm bandpass)
     7  432nm (32nm bandpass)            7  1009nm (38nm bandpass)
     8  440nm (20nm) Solar ND 5.0        8  880nm (20nm) Solar ND 5.0
     Left filters 4, 5 and 6 serve as red, green and blue for colour
     pictures.
     The Microscopic Imager (eye M) has two positions:
     1  MI window closed, 500-700nm
     2  MI window open, 400-700nm
     The HAZCAMs and the NAVCAM see one broad band, 400-1100nm, whatever
     the digit says.

26    Product producer
     A  Arizona State University
     C  Cornell University
     F  USGS at Flagstaff
     J  Johannes Gutenberg Univ. (Germany)
     M  MIPL (OPGS) at JPL
     N  NASA Ames Research (L. Orvesk)
     P  Max Plank Institute (Germany)
     S  SOAS at JPL
     U  University of Arizona
     V  SSV Team (E. Dunmark) at JPL
     X  Other

27    Product version number
     1 to 9, then A to Z for the later versions.

An example

2P126471340EDN0000P2303L5M1.JPG is an image from Spirit (2), taken by
the PANCAM (P) through its left eye (L) and the 535 nm, green, filter
(5) at spacecraft clock 126471340. It is a downsampled EDR (EDN), taken
at site 00 and position 00, that is on the lander, with the command
sequence P2303, a PANCAM sequence. It was made for MIPL (OPGS) at JPL
(M) and it is version 1. Images with nearly the same spacecraft clock
were taken at the same time of day: they can be combined into
stereograms and colour composites.

These codes follow the description of the raw image file names
published on the Mars Exploration Rover mission's web site,
)") + web::kMissionHome;
}

}  // namespace

TForm10::TForm10(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm10"), QStringLiteral("Data Decoding Information"),
           QSize(700, 540), ScreenFitMode::Full) {
    QPlainTextEdit* key = makeInformationText(this, QStringLiteral("decodingText"), decodingKey());
    QPushButton* close = makeButton(this, QStringLiteral("closeButton"), QStringLiteral("Close"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* column = new QVBoxLayout(this);
    column->addWidget(key, 1);
    column->addLayout(buttons);

    fitToScreen();
}

void TForm10::showEvent(QShowEvent* event) {
    Page::showEvent(event);
    centreOnScreen();
}

}  // namespace keldar::ui
