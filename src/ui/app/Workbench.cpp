#include "ui/app/Workbench.h"

#include <QCoreApplication>

#include "core/imaging/PictureMemory.h"
#include "ui/app/ImageView.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/colour/ColourAltUnit20.h"
#include "ui/colour/ColourProcessorUnit31.h"
#include "ui/pages/AnaglyphHelpUnit27.h"
#include "ui/pages/ColourHelpUnit26.h"
#include "ui/pages/DirectoriesUnit22.h"
#include "ui/pages/FullSizeImageUnit17.h"
#include "ui/pages/HelpMenuUnit12.h"
#include "ui/pages/LabelUnit32.h"
#include "ui/pages/LargeImageUnit7.h"
#include "ui/pages/MarsLinksUnit24.h"
#include "ui/pages/MemorialUnit15.h"
#include "ui/pages/MenuHelpUnit25.h"
#include "ui/pages/OpportunityMapsUnit8.h"
#include "ui/pages/PlayUnit30.h"
#include "ui/pages/QuickStartHelpUnit28.h"
#include "ui/pages/SlideshowDelayUnit16.h"
#include "ui/pages/SpiritMapsUnit9.h"
#include "ui/pages/SunsetUnit21.h"
#include "ui/pages/TraverseMapsUnit6.h"
#include "ui/pages/UsageHelpUnit18.h"
#include "ui/pages/WebLinksUnit4.h"
#include "ui/search/BirthdaySearchUnit14.h"
#include "ui/search/SOLsearchUnit23.h"
#include "ui/stereo/ColourUnit19.h"
#include "ui/stereo/ManualStereoUnit11.h"
#include "ui/stereo/StereoUnit2.h"
#include "ui/time/DataDecodingUnit10.h"
#include "ui/time/EarthTimeUnit3.h"
#include "ui/time/MartianCalendarUnit5.h"
#include "ui/time/MartianTimeUnit13.h"

#include "ui/app/FrameFit.h"
#include "ui/pages/ArchiveFetchUnit33.h"
#include "ui/pages/MovieUnit35.h"
#include "ui/pages/PanoramaUnit34.h"

namespace keldar::ui {

template <typename Form>
std::unique_ptr<Form> Workbench::create() {
    auto form = std::make_unique<Form>(*this, platform_);
    windows_.push_back(form.get());
    frameFit_->watch(*form);
    return form;
}

Workbench::Workbench(platform::Platform& platform)
    : platform_(platform), frameFit_(std::make_unique<FrameFit>()) {
    // A walk makes and frees pictures at every step; the next one reuses their memory.
    imaging::keepFreedPictureMemory();
    // The start-up order; the birthday searcher comes after the Mars links page although its
    // number is lower.
    form1_ = create<TForm1>();
    form2_ = create<TForm2>();
    form3_ = create<TForm3>();
    form4_ = create<TForm4>();
    form5_ = create<TForm5>();
    form6_ = create<TForm6>();
    form7_ = create<TForm7>();
    form8_ = create<TForm8>();
    form9_ = create<TForm9>();
    form10_ = create<TForm10>();
    form11_ = create<TForm11>();
    form12_ = create<TForm12>();
    form13_ = create<TForm13>();
    form15_ = create<TForm15>();
    form16_ = create<TForm16>();
    form17_ = create<TForm17>();
    form18_ = create<TForm18>();
    form19_ = create<TForm19>();
    form20_ = create<TForm20>();
    form21_ = create<TForm21>();
    form22_ = create<TForm22>();
    form23_ = create<TForm23>();
    form24_ = create<TForm24>();
    form14_ = create<TForm14>();
    form25_ = create<TForm25>();
    form26_ = create<TForm26>();
    form27_ = create<TForm27>();
    form28_ = create<TForm28>();
    form30_ = create<TForm30>();
    form31_ = create<TForm31>();
}

Workbench::~Workbench() = default;

TForm32& Workbench::labelPage() {
    if (!form32_) form32_ = create<TForm32>();
    return *form32_;
}

TForm33& Workbench::archiveFetchPage() {
    if (!form33_) form33_ = create<TForm33>();
    return *form33_;
}

TForm34& Workbench::panoramaPage() {
    if (!form34_) form34_ = create<TForm34>();
    return *form34_;
}

TForm35& Workbench::moviePage() {
    if (!form35_) form35_ = create<TForm35>();
    return *form35_;
}

void Workbench::registerStretchView(ImageView* view) { stretchViews_.push_back(view); }

void Workbench::setViewStretch(bool stretch) {
    for (ImageView* view : stretchViews_) view->setStretch(stretch);
}

void Workbench::closeProgram() {
    if (closing_) return;
    closing_ = true;
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) (*it)->close();
    QCoreApplication::exit(0);
    closing_ = false;
}

}  // namespace keldar::ui
