#pragma once

#include "foundation/ClassRegistry.h"
#include "uikit/View.h"

#include <set>
#include <string>

// The advertising banner. Weakly linked on the device: the class exists only while registered.
namespace ad {

inline constexpr const char* BannerContentSizeIdentifier320x50 = "ADBannerContentSize320x50";
inline constexpr const char* BannerContentSizeIdentifier480x32 = "ADBannerContentSize480x32";
inline constexpr const char* BannerContentSizeIdentifierPortrait = "ADBannerContentSizePortrait";
inline constexpr const char* BannerContentSizeIdentifierLandscape = "ADBannerContentSizeLandscape";

class BannerView : public ui::View
{
public:
    static ns::Ref<BannerView> create() { return ns::Factory<BannerView>::make(); }

    // The size for a content-size identifier; zero for one it does not know.
    static cg::Size sizeFromBannerContentSizeIdentifier(const std::string& identifier);

    const std::set<std::string>& requiredContentSizeIdentifiers() const { return m_required; }
    void setRequiredContentSizeIdentifiers(std::set<std::string> identifiers)
    {
        m_required = std::move(identifiers);
    }
    const std::string& currentContentSizeIdentifier() const { return m_current; }
    void setCurrentContentSizeIdentifier(std::string identifier);
    void setDelegate(ns::Weak<ns::Object> delegate) { m_delegate = std::move(delegate); }
    bool isBannerLoaded() const { return false; }

    bool drawsContent() const override { return true; }
    void drawRect(cg::Context& context, cg::Rect rect) override;
    std::string className() const override { return "ADBannerView"; }

protected:
    BannerView();
    friend ns::Factory<BannerView>;

private:
    std::set<std::string> m_required;
    std::string m_current = BannerContentSizeIdentifierPortrait;
    ns::Weak<ns::Object> m_delegate;
};

// The class-level answer the board asks without an instance.
struct BannerClass : rt::MetaObject
{
    cg::Size (*sizeFromIdentifier)(const std::string&) = &BannerView::sizeFromBannerContentSizeIdentifier;
};

// Makes the class exist ("ADBannerView"), or removes it as on a device without banners.
void registerBannerClass();
void unregisterBannerClass();

} // namespace ad
