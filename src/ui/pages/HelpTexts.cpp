#include "ui/pages/HelpTexts.h"

#include <QStringList>

namespace keldar::ui {

QString quickStartHelpText() {
    return QStringLiteral(
        "<h3>Quick Start</h3>"
        "<p>Keldar shows the raw images of the Mars Exploration Rovers, Spirit and Opportunity, "
        "as the Planetary Data System publishes them, and tells you what each one is: which rover "
        "took it, with which camera and filter, on which Martian day (sol), and at what time on "
        "Earth and on Mars.</p>"
        "<p><b>1. Find your images.</b> A few seconds after the program starts, the Directories "
        "page opens. Its buttons jump the main window's directory list to the places Keldar "
        "knows: the home directory (the directory the program started in), "
        "<i>All-MER-Images/</i>, <i>ImageCategories/Anaglyphs/</i>, "
        "<i>ImageCategories/Colour/</i> and <i>ImageCategories/Colour/456_RGB/</i>, or to any "
        "directory you browse to. Closed it by mistake? The small <b>?</b> button in the top "
        "left corner of the main window (or <i>File / Directories</i>) brings it back; so does "
        "the <b>?</b> button at the bottom of this page.</p>"
        "<p><b>2. Look at an image.</b> Double-click a directory in the directory list, then "
        "click a file name in the file list. The picture changes and the right-hand side of the "
        "main window fills with the data decoded from the file name. Use the cursor keys up and "
        "down in the file list to walk through the directory one image at a time.</p>"
        "<p><b>3. Stereo.</b> Press the main window's <b>Stereo</b> button. If the image has a "
        "partner taken by the other eye of the same camera at the same moment, both are shown "
        "side by side on the stereo viewer for cross-eyed viewing. On the stereo viewer, "
        "<b>NEXT IMAGE</b> and <b>PREVIOUS IMAGE</b> step through the directory and show the "
        "next pair. Only images taken simultaneously by the left and right eyes pair "
        "automatically; for anything else use <i>View / Manual Stereo Image Selection</i>.</p>"
        "<p><b>4. 3D anaglyph.</b> On the stereo viewer press <b>Anaglyph This</b>: the pair "
        "becomes a red/cyan anaglyph for red/cyan glasses, which you can adjust and save.</p>"
        "<p><b>5. Colour.</b> Select a PANCAM image of the left eye taken through filter 4 "
        "(its name ends in <i>L4M1</i>) and press the main window's <b>Colour</b> button. With "
        "<i>Options / Auto L4L5L6 RGB</i> checked, Keldar loads that image as the red band and "
        "the next two files of the directory, the same pointing's left-eye filter 5 and 6 "
        "images, as the green and blue bands, and shows the colour picture. Other images are "
        "placed by hand; see the colour help page.</p>"
        "<p><b>6. Slideshow.</b> Tick <b>Slideshow</b> on the main window (or "
        "<i>View / Slideshow Start / Stop</i>) to show every image of the directory in turn "
        "on the large image page; <i>Options / Slideshow Delay</i> sets the pause between "
        "images.</p>"
        "<p><b>Tip:</b> try a NAVCAM image first. The navigation camera takes most of its "
        "pictures as left/right pairs at the same moment, so its images (the second letter of "
        "the file name is <i>N</i>) show stereo at once.</p>");
}

QString colourHelpText() {
    return QStringLiteral(
        "<h3>How do I make a colour composite?</h3>"
        "<p>The rover cameras see in black and white. Each picture is taken through one colour "
        "filter, so it records how bright the scene is in that part of the spectrum only. A "
        "colour image is made by combining three such black-and-white pictures of the same "
        "scene, one as the red channel, one as the green and one as the blue.</p>"
        "<p>The left panoramic camera (PANCAM, left eye) has filters 4 (601 nm), 5 (535 nm) and "
        "6 (482 nm). These are the ones nearest to the red (700 nm), green (546 nm) and blue "
        "(439 nm) that a screen shows, so a composite of L4 as red, L5 as green and L6 as blue "
        "comes close to what your own eyes would see on Mars.</p>"
        "<h4>Reading the eye and filter from a file name</h4>"
        "<p>A product identifier is 27 characters long. Its last four characters are the eye, "
        "the filter, the producer and the version. In "
        "<i>2P126471340EDN0000P2303L5M1.JPG</i> they are <b>L5M1</b>: left eye (L), filter 5, "
        "producer M, version 1. L4M1, L5M1 and L6M1 images of the same pointing differ only in "
        "the filter digit and usually follow each other in the directory.</p>"
        "<h4>Loading the three filter images with the Colour button</h4>"
        "<ol>"
        "<li>Select the L4 image of a set in the main window's file list.</li>"
        "<li>Press the main window's <b>Colour</b> button.</li>"
        "<li>With <i>Options / Auto L4L5L6 RGB</i> checked (as at start), Keldar loads the L4 "
        "image as red, steps to the next two files, loads the L5 image as green and the L6 "
        "image as blue, combines them and shows the colour page. If the set is not complete "
        "within a few seconds the message \"Sorry, all required images not found, or not in "
        "sequence.\" appears.</li>"
        "<li>With <i>Options / Force Manual Colour</i> checked instead, a small window asks "
        "into which band the current image goes: tick RED BAND, GREEN BAND or BLUE BAND and "
        "press CONTINUE. Repeat for the other two bands.</li>"
        "</ol>"
        "<h4>Loading bands by hand</h4>"
        "<p>On the colour page (<i>Tools / Colour Image Production Page</i>) the buttons "
        "<b>Load Red Band Image</b>, <b>Load Green Band Image</b> and <b>Load Blue Band Image</b> "
        "open a file dialog for each band, so any three images of the same size and pointing "
        "can be combined, also right-eye filters or other cameras for false colour. Then press "
        "<b>Straight RGB Combination</b>.</p>"
        "<h4>MER2RGB Method</h4>"
        "<p>Filters 4 and 6 lie further apart than a screen's red and blue, so the straight "
        "combination can look too strong. <b>MER2RGB Method</b> mixes each of the red and blue "
        "bands with some of the green band: red 70 %, green 100 %, blue 70 % to start with. "
        "The red and blue sliders change the mix.</p>"
        "<p><b>Invert RGB</b> shows the negative of the straight composite and <b>Solarize</b> "
        "shifts its colours with a slider. <b>Save as</b> writes the composite, as JPEG or BMP, "
        "into <i>ImageCategories/Colour/456_RGB/</i> under the home directory, its name "
        "recording the filters used.</p>"
        "<p>The meaning of every character of a file name is on the data decoding page: click "
        "the blue words below.</p>");
}

QString anaglyphHelpText() {
    return QStringLiteral(
        "<h3>How do I make a 3D anaglyph?</h3>"
        "<p>Each rover carries its cameras in pairs, a left eye and a right eye about as far "
        "apart as a person's eyes. Two pictures taken by the two eyes at the same moment form "
        "a stereo pair. Keldar shows a pair in two ways:</p>"
        "<ul>"
        "<li><b>Cross-eyed stereo</b> on the stereo viewer: the right-eye picture on the left, "
        "the left-eye picture on the right. Sit 30 to 60 cm from the screen and cross your eyes "
        "until the two pictures merge into a third one in between.</li>"
        "<li><b>Red/cyan anaglyph</b>: the left-eye picture becomes the red layer, the "
        "right-eye picture the cyan (green and blue) layer, printed on top of each other. "
        "Looked at through red/cyan glasses (red over the left eye) each eye sees only its own "
        "picture, and the scene stands out in depth.</li>"
        "</ul>"
        "<h4>The easy way</h4>"
        "<ol>"
        "<li>Select a NAVCAM image in the main window. NAVCAM pairs are the easiest: their "
        "names differ only in the eye letter, L0 and R0 (for example ...L0M1 and ...R0M1).</li>"
        "<li>Press the main window's <b>Stereo</b> button; the stereo viewer shows the pair.</li>"
        "<li>On the stereo viewer press <b>Anaglyph This</b>. The anaglyph page opens with the "
        "anaglyph made at the standard settings.</li>"
        "</ol>"
        "<h4>Adjusting it</h4>"
        "<p>Press <b>Manual Adjustment Controls</b> to show three sliders:</p>"
        "<ul>"
        "<li><b>Merge</b> sets the balance of the two layers: 0 % only red, 100 % only cyan, "
        "50 % both equally.</li>"
        "<li><b>Contrast</b> multiplies every value by the position divided by 16: 16 % leaves "
        "the picture as it is, 32 % doubles it.</li>"
        "<li><b>Brightness</b> adds to every value: 30 % adds nothing, less darkens, more "
        "brightens.</li>"
        "</ul>"
        "<p><b>Reset</b> returns to Merge 50 %, Contrast 16 % and Brightness 30 %. The two "
        "<b>Load image</b> buttons pick the right-eye and left-eye pictures by hand, and "
        "<b>Make Blue</b> makes a red/blue anaglyph for red/blue glasses.</p>"
        "<h4>Saving</h4>"
        "<p><b>Save As</b> proposes a name in <i>ImageCategories/Anaglyphs/</i> under the home "
        "directory made of the source file's name, the settings and a counter, for example "
        "<i>1N241637757EFF8615P1999L0M1-B30C30M50-01</i>: brightness 30, contrast 30, merge 50, "
        "first save with these settings. Choose JPEG or BMP in the dialog. Keldar recognises "
        "such a file as a combined product when you look at it later.</p>"
        "<h4>Pairs taken at different times</h4>"
        "<p>When the two eyes were not used at the same moment, or you want to pair different "
        "filters, use <i>View / Manual Stereo Image Selection</i>: walk the directory with "
        "<b>Prev.</b> and <b>Next</b>, press <b>Lock Image</b> on a left-eye and on a right-eye "
        "image, then <b>View in Stereo</b>. From the stereo viewer, <b>Anaglyph This</b> works as "
        "before.</p>");
}

QString usageHelpText() {
    const QStringList points = {
        QStringLiteral("File names. Keldar reads JPEG and BMP images whose names are NASA product "
                       "identifiers of 27 characters, for example 2P126471340EDN0000P2303L5M1.JPG, "
                       "and decodes every part of the name. Other pictures are shown, but their "
                       "data makes no sense."),
        QStringLiteral("Rover: the first character, 1 for Opportunity (MER-1) and 2 for Spirit (MER-2)."),
        QStringLiteral("Location: Meridiani Planum for Opportunity, Gusev Crater for Spirit."),
        QStringLiteral("Camera: the second character, F Forward HAZCAM, R Rear HAZCAM, N NAVCAM, "
                       "P PANCAM, M Microscopic Imager, E descent camera."),
        QStringLiteral("Spacecraft clock: characters 3 to 11, the rover's clock in seconds when "
                       "the picture was taken."),
        QStringLiteral("SOL: the Martian day of the picture, counted from the rover's landing."),
        QStringLiteral("Mars time since landing: the time elapsed since the landing in sols, "
                       "hours, minutes and seconds."),
        QStringLiteral("Local solar time: the local mean solar time at the landing site when the "
                       "picture was taken (it can be up to about an hour off)."),
        QStringLiteral("Earth time (UTC): the date and time of the picture in Coordinated "
                       "Universal Time, converted from the spacecraft clock."),
        QStringLiteral("Earth time (local): the same moment in your own time zone, as your Linux "
                       "system sets it (the TZ variable or the system's zone), with the zone's name."),
        QStringLiteral("Product type: characters 12 to 14, for example EFF Full Frame EDR."),
        QStringLiteral("Site: characters 15 and 16, the rover's site number."),
        QStringLiteral("Drive: characters 17 and 18, the position within the site."),
        QStringLiteral("Command sequence: characters 19 to 23, its category and number."),
        QStringLiteral("Eye: character 24, L for the left eye, R for the right eye; the stereo "
                       "status says whether a stereo view is possible."),
        QStringLiteral("Filter: character 25, named with its wavelength for the camera and eye."),
        QStringLiteral("Producer: character 26, the team that produced the file."),
        QStringLiteral("Version: character 27, the product's version."),
        QStringLiteral("Stereo display: the Stereo button shows the image beside its partner of "
                       "the other eye on the stereo viewer; with Options / Check Stereo Autoshow "
                       "every pair is shown while you step through a directory."),
        QStringLiteral("Anaglyphs and colour: red/cyan 3D anaglyphs and colour composites of "
                       "three filters can be made and saved under ImageCategories/ in the home "
                       "directory."),
        QStringLiteral("Print and clipboard: the Print buttons print their window or, with "
                       "Options / Check Print / Clipboard, copy it to the clipboard to paste it "
                       "into another program."),
        QStringLiteral("Manual stereo: View / Manual Stereo Image Selection pairs any left-eye and "
                       "right-eye images by hand."),
        QStringLiteral("Large and full-size display: the Large Image button shows the image large "
                       "beside its data; View / Full Size Image shows it at its real pixel size."),
        QStringLiteral("Slideshow: the Slideshow box shows every image of the directory in turn "
                       "on the large image page, looping at the end while Options / Check Loop "
                       "Slideshow is checked; the delay between images can be set."),
        QStringLiteral("Web links and traverse maps: Information / Web Links All Mars opens Mars "
                       "web sites in your web browser, and View / Traverse Maps shows where the "
                       "rovers drove."),
        QStringLiteral("Notes file: Edit / Open Notepad opens Keldar2007notes.txt in the home "
                       "directory in your desktop's text editor, for your own notes."),
    };
    QString html = QStringLiteral("<h3>Usage.</h3><ol>");
    for (const QString& point : points) html += QStringLiteral("<li>") + point.toHtmlEscaped() + QStringLiteral("</li>");
    return html + QStringLiteral("</ol>");
}

}  // namespace keldar::ui
