#pragma once
// The workbench: the one object that creates every window at start, in the fixed start-up
// order, owns them for the whole run and hands each window the others it needs. Windows
// reach each other only through it; there are no global window pointers.

#include <memory>
#include <vector>

class QWidget;

namespace keldar::platform {
class Platform;
}

namespace keldar::ui {

class FrameFit;
class ImageView;
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm7;
class TForm8;
class TForm9;
class TForm10;
class TForm11;
class TForm12;
class TForm13;
class TForm14;
class TForm15;
class TForm16;
class TForm17;
class TForm18;
class TForm19;
class TForm20;
class TForm21;
class TForm22;
class TForm23;
class TForm24;
class TForm25;
class TForm26;
class TForm27;
class TForm28;
class TForm30;
class TForm31;
class TForm32;
class TForm33;
class TForm34;
class TForm35;

class Workbench {
public:
    // Creates all windows, each hidden; the caller shows the main window.
    explicit Workbench(platform::Platform& platform);
    ~Workbench();
    Workbench(const Workbench&) = delete;
    Workbench& operator=(const Workbench&) = delete;

    platform::Platform& platform() const { return platform_; }

    TForm1& mainWindow() const { return *form1_; }
    TForm2& stereoViewer() const { return *form2_; }
    TForm3& earthTimePage() const { return *form3_; }
    TForm4& webLinksPage() const { return *form4_; }
    TForm5& martianCalendarPage() const { return *form5_; }
    TForm6& traverseMapsPage() const { return *form6_; }
    TForm7& largeImagePage() const { return *form7_; }
    TForm8& opportunityMapsPage() const { return *form8_; }
    TForm9& spiritMapsPage() const { return *form9_; }
    TForm10& dataDecodingPage() const { return *form10_; }
    TForm11& manualStereoPage() const { return *form11_; }
    TForm12& helpMenuPage() const { return *form12_; }
    TForm13& martianTimePage() const { return *form13_; }
    TForm14& birthdaySearcher() const { return *form14_; }
    TForm15& memorialPage() const { return *form15_; }
    TForm16& slideshowDelayPage() const { return *form16_; }
    TForm17& fullSizeImagePage() const { return *form17_; }
    TForm18& usageHelpPage() const { return *form18_; }
    TForm19& anaglyphPage() const { return *form19_; }
    TForm20& colourComposer() const { return *form20_; }
    TForm21& sunsetPage() const { return *form21_; }
    TForm22& directoriesPage() const { return *form22_; }
    TForm23& solSearcher() const { return *form23_; }
    TForm24& marsLinksPage() const { return *form24_; }
    TForm25& menuHelpPage() const { return *form25_; }
    TForm26& colourHelpPage() const { return *form26_; }
    TForm27& anaglyphHelpPage() const { return *form27_; }
    TForm28& quickStartHelpPage() const { return *form28_; }
    TForm30& playPage() const { return *form30_; }
    TForm31& colourProcessor() const { return *form31_; }
    // The PDS label page is made when first asked for, after the start-up windows.
    TForm32& labelPage();
    TForm32* labelPageIfMade() const { return form32_.get(); }
    // The archive fetch page, made when first asked for, like the label page.
    TForm33& archiveFetchPage();
    TForm34& panoramaPage();
    // The movie page, made when first asked for, like the panorama page.
    TForm35& moviePage();

    // Every window, in the order it was created.
    const std::vector<QWidget*>& windows() const { return windows_; }

    // The picture views whose stretch follows the "Thumbnails as Fullsize" option; each
    // window registers its views when it is created.
    void registerStretchView(ImageView* view);
    void setViewStretch(bool stretch);
    const std::vector<ImageView*>& stretchViews() const { return stretchViews_; }

    // Ends the program: every window closes and the event loop is left.
    void closeProgram();

private:
    template <typename Form>
    std::unique_ptr<Form> create();

    platform::Platform& platform_;
    std::vector<QWidget*> windows_;
    std::vector<ImageView*> stretchViews_;
    bool closing_ = false;
    std::unique_ptr<FrameFit> frameFit_;  // outlives the windows it watches

    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TForm3> form3_;
    std::unique_ptr<TForm4> form4_;
    std::unique_ptr<TForm5> form5_;
    std::unique_ptr<TForm6> form6_;
    std::unique_ptr<TForm7> form7_;
    std::unique_ptr<TForm8> form8_;
    std::unique_ptr<TForm9> form9_;
    std::unique_ptr<TForm10> form10_;
    std::unique_ptr<TForm11> form11_;
    std::unique_ptr<TForm12> form12_;
    std::unique_ptr<TForm13> form13_;
    std::unique_ptr<TForm15> form15_;
    std::unique_ptr<TForm16> form16_;
    std::unique_ptr<TForm17> form17_;
    std::unique_ptr<TForm18> form18_;
    std::unique_ptr<TForm19> form19_;
    std::unique_ptr<TForm20> form20_;
    std::unique_ptr<TForm21> form21_;
    std::unique_ptr<TForm22> form22_;
    std::unique_ptr<TForm23> form23_;
    std::unique_ptr<TForm24> form24_;
    std::unique_ptr<TForm14> form14_;
    std::unique_ptr<TForm25> form25_;
    std::unique_ptr<TForm26> form26_;
    std::unique_ptr<TForm27> form27_;
    std::unique_ptr<TForm28> form28_;
    std::unique_ptr<TForm30> form30_;
    std::unique_ptr<TForm31> form31_;
    std::unique_ptr<TForm32> form32_;
    std::unique_ptr<TForm33> form33_;
    std::unique_ptr<TForm34> form34_;
    std::unique_ptr<TForm35> form35_;
};

}  // namespace keldar::ui
