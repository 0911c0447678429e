#pragma once

#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/URL.h"
#include "uikit/Application.h"
#include "uikit/WebView.h"

#include <optional>
#include <string>

class FBDialog;

namespace ui {
class ActivityIndicatorView;
class Button;
} // namespace ui

// How a web dialog ended. Every operation is optional: a delegate answers those it lists in respondsTo.
class FBDialogDelegate
{
public:
    enum class Operation {
        DidComplete,
        CompleteWithUrl,
        DidNotCompleteWithUrl,
        DidNotComplete,
        DidFailWithError,
        ShouldOpenURLInExternalBrowser
    };

    virtual ~FBDialogDelegate() = default;
    virtual bool respondsTo(Operation) const { return false; }

    virtual void dialogDidComplete(FBDialog&) {}
    virtual void dialogCompleteWithUrl(const ns::Ref<ns::URL>&) {}
    virtual void dialogDidNotCompleteWithUrl(const ns::Ref<ns::URL>&) {}
    virtual void dialogDidNotComplete(FBDialog&) {}
    // dialog:didFailWithError:
    virtual void dialogDidFailWithError(FBDialog&, const ns::Ref<ns::Error>&) {}
    // dialog:shouldOpenURLInExternalBrowser:
    virtual bool dialogShouldOpenURLInExternalBrowser(FBDialog&, const ns::Ref<ns::URL>&) { return true; }
};

// YES on a tablet.
bool deviceIsPad();

// A modal panel over the window showing one page of the social network's dialog site in a web view. The
// page ends the dialog by going to the "fbconnect" scheme ("//cancel" with or without an error code, or a
// success); other links the person taps go to the browser. It follows the interface orientation and the
// keyboard.
class FBDialog : public ui::View, public ui::WebViewDelegate
{
public:
    static constexpr const char* CloseImageName = "FBDialog.bundle/images/close.png";

    static ns::Ref<FBDialog> create();
    // initWithURL:params:delegate:
    static ns::Ref<FBDialog> create(std::string serverURL, ns::Ref<ns::MutableDictionary> params,
                                    ns::Weak<FBDialogDelegate> delegate);
    ~FBDialog() override;

    ns::Ref<FBDialogDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(ns::Weak<FBDialogDelegate> delegate) { m_delegate = std::move(delegate); }
    const ns::Ref<ns::MutableDictionary>& params() const { return m_params; }
    const std::string& serverURL() const { return m_serverURL; }
    const ns::Ref<ns::URL>& loadingURL() const { return m_loadURL; }
    const ns::Ref<ui::WebView>& webView() const { return m_webView; }
    const ns::Ref<ui::Button>& closeButton() const { return m_closeButton; }
    const ns::Ref<ui::ActivityIndicatorView>& spinner() const { return m_spinner; }
    const ns::Ref<ui::View>& modalBackgroundView() const { return m_modalBackgroundView; }
    bool showingKeyboard() const { return m_showingKeyboard; }

    // Loads the page and brings the panel in over the window.
    void show();
    void load();
    // loadURL:get:
    void loadURL(const std::string& url, const ns::Dictionary* getParams);
    // generateURL:params:
    static std::string generateURL(const std::string& baseURL, const ns::Dictionary* params);
    // getStringFromUrl:needle: the text after the needle up to the next "&", unescaped; nothing without
    // the needle.
    static std::optional<std::string> getStringFromUrl(const std::string& url, const std::string& needle);

    void dismissWithSuccess(bool success, bool animated);
    virtual void dismissWithError(const ns::Ref<ns::Error>& error, bool animated);
    virtual void dismiss(bool animated);
    // The close button.
    void cancel();
    virtual void dialogDidSucceed(const ns::Ref<ns::URL>& url);
    virtual void dialogDidCancel(const ns::Ref<ns::URL>& url);
    virtual void dialogWillAppear() {}
    virtual void dialogWillDisappear() {}

    // Layout for the status bar's orientation; with the flag the transform follows it too.
    void sizeToFitOrientation(bool transform);
    cg::AffineTransform transformForOrientation() const;
    bool shouldRotateToOrientation(ui::InterfaceOrientation orientation) const;
    void updateWebOrientation();

    void deviceOrientationDidChange();
    void keyboardWillShow();
    void keyboardWillHide();

    // The web view's delegate.
    bool webViewShouldStartLoadWithRequest(ui::WebView& webView, const ns::URLRequest& request,
                                           ui::WebViewNavigationType navigationType) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void webViewDidFailLoadWithError(ui::WebView& webView, const ns::Error& error) override;

    void drawRect(cg::Context& context, cg::Rect rect) override;
    bool drawsContent() const override { return true; }
    std::string className() const override { return "FBDialog"; }

protected:
    FBDialog();
    friend ns::Factory<FBDialog>;
    // Builds the subviews, which point back at the dialog: runs once the dialog exists.
    void build();
    void setUp(std::string serverURL, ns::Ref<ns::MutableDictionary> params,
               ns::Weak<FBDialogDelegate> delegate);
    // Whether the failure is a load that the next one interrupted, which ends nothing.
    static bool isIgnoredLoadError(const ns::Error& error);

private:
    bool delegateAnswers(FBDialogDelegate::Operation operation, ns::Ref<FBDialogDelegate>& delegate) const;
    void addObservers();
    void removeObservers();
    void bounce1AnimationStopped();
    void bounce2AnimationStopped();
    void postDismissCleanup();

    ns::Weak<FBDialogDelegate> m_delegate;
    ns::Ref<ns::MutableDictionary> m_params;
    std::string m_serverURL;
    ns::Ref<ns::URL> m_loadURL;
    ns::Ref<ui::WebView> m_webView;
    ns::Ref<ui::ActivityIndicatorView> m_spinner;
    ns::Ref<ui::Button> m_closeButton;
    ui::InterfaceOrientation m_orientation = ui::InterfaceOrientation::Portrait;
    bool m_showingKeyboard = false;
    ns::Ref<ui::View> m_modalBackgroundView;
};
