#include "TestScreen.h"

#include "foundation/RunLoop.h"
#include "system/Reachability.h"
#include "uikit/ActionSheet.h"
#include "uikit/AlertView.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Label.h"
#include "uikit/Switch.h"
#include "uikit/TableView.h"
#include "uikit/TextField.h"
#include "uikit/Toolbar.h"
#include "uikit/ViewController.h"
#include "uikit/Window.h"

#include <array>

namespace velmo {
namespace {

constexpr std::array<const char*, 10> RowNames = {"Alpha",   "Bravo", "Charlie", "Delta", "Echo",
                                                  "Foxtrot", "Golf",  "Hotel",   "India", "Juliet"};

class TestScreenController : public ui::ViewController,
                             public ui::TableViewDataSource,
                             public ui::TableViewDelegate,
                             public ui::TextFieldDelegate,
                             public ui::AlertViewDelegate,
                             public ui::ActionSheetDelegate
{
public:
    void viewDidLoad() override
    {
        auto root = view();
        root->setBackgroundColor(ui::Color::whiteColor());
        cg::Float width = root->bounds().size.width, height = root->bounds().size.height;
        auto me = self<TestScreenController>();

        m_status = ui::Label::create(cg::makeRect(10, 8, width - 20, 30));
        m_status->setText("Velmo test screen");
        m_status->setFont(ui::Font::boldSystemFontOfSize(18));
        root->addSubview(m_status);

        auto sound = ui::Label::create(cg::makeRect(10, 46, 150, 27));
        sound->setText("Sound");
        root->addSubview(sound);
        m_switch = ui::Switch::create(cg::makeRect(width - 89, 46, 0, 0));
        m_switch->addTarget(
            me, [this](const ns::Id&) { show(m_switch->isOn() ? "Sound on" : "Sound off"); },
            ui::ControlEventValueChanged);
        root->addSubview(m_switch);

        m_field = ui::TextField::create(cg::makeRect(10, 82, width - 20, 31));
        m_field->setBorderStyle(ui::TextBorderStyle::RoundedRect);
        m_field->setPlaceholder("Name");
        m_field->setDelegate(me);
        root->addSubview(m_field);

        auto table = ui::TableView::create(cg::makeRect(0, 122, width, height - 122 - 44));
        table->setDataSource(me);
        table->setDelegate(me);
        root->addSubview(table);

        auto toolbar = ui::Toolbar::create(cg::makeRect(0, height - 44, width, 44));
        ns::Weak<ui::Toolbar> weakBar = toolbar;
        toolbar->setItems({
            ui::BarButtonItem::withTitle("Hello", ui::BarButtonItemStyle::Bordered, me,
                                         [this](const ns::Id&) {
                                             auto alert = ui::AlertView::create(
                                                 "Hello", "Welcome to Velmo", self<TestScreenController>(),
                                                 "OK", std::vector<std::string>{"More"});
                                             alert->show();
                                         }),
            ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::FlexibleSpace),
            ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::Action, me,
                                              [this, weakBar](const ns::Id&) {
                                                  auto sheet = ui::ActionSheet::create(
                                                      "Share", self<TestScreenController>(), "Cancel",
                                                      std::nullopt, std::vector<std::string>{"Mail", "Copy"});
                                                  if (auto bar = weakBar.lock())
                                                      sheet->showFromToolbar(bar);
                                              }),
        });
        root->addSubview(toolbar);

        // The device's network switch, shown as it changes.
        m_internet = net::Reachability::withAddress(std::string("0.0.0.0"));
        if (m_internet) {
            m_internet->setCallback(&TestScreenController::networkChanged, this);
            m_internet->scheduleWithRunLoop(ns::RunLoop::main());
        }
    }
    ~TestScreenController() override
    {
        if (m_internet)
            m_internet->unscheduleFromRunLoop(ns::RunLoop::main());
    }

    long tableViewNumberOfRowsInSection(ui::TableView&, std::size_t) override
    {
        return long(RowNames.size());
    }
    ns::Ref<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& table,
                                                              const ns::IndexPath& path) override
    {
        auto cell = table.dequeueReusableCellWithIdentifier("Row");
        if (!cell)
            cell = ui::TableViewCell::create(ui::TableViewCellStyle::Subtitle, "Row");
        std::size_t row = path.row() % RowNames.size();
        cell->textLabel()->setText(RowNames[row]);
        cell->detailTextLabel()->setText("row " + std::to_string(path.row() + 1));
        cell->setAccessoryType(ui::TableViewCellAccessoryType::DisclosureIndicator);
        return cell;
    }
    void tableViewDidSelectRowAtIndexPath(ui::TableView& table, const ns::IndexPath& path) override
    {
        show(std::string("Selected ") + RowNames[path.row() % RowNames.size()]);
        table.deselectRowAtIndexPath(path, true);
    }
    bool textFieldShouldReturn(ui::TextField& field) override
    {
        show("Hello, " + field.text());
        field.resignFirstResponder();
        return true;
    }
    void alertViewClickedButtonAtIndex(ui::AlertView& alert, long index) override
    {
        show("Alert: " + alert.buttonTitleAtIndex(index).value_or("?"));
    }
    void actionSheetClickedButtonAtIndex(ui::ActionSheet& sheet, long index) override
    {
        show("Chose " + sheet.buttonTitleAtIndex(index).value_or("?"));
    }

private:
    void show(const std::string& text) { m_status->setText(text); }
    static void networkChanged(net::Reachability&, net::ReachabilityFlags flags, void* info)
    {
        static_cast<TestScreenController*>(info)->show(
            flags & net::kSCNetworkReachabilityFlagsReachable ? "Network on" : "Network off");
    }

    ns::Ref<ui::Label> m_status;
    ns::Ref<ui::Switch> m_switch;
    ns::Ref<ui::TextField> m_field;
    ns::Ref<net::Reachability> m_internet;
};

} // namespace

void TestScreenDelegate::applicationDidFinishLaunching(ui::Application&)
{
    m_window = ui::Window::create();
    m_window->setBackgroundColor(ui::Color::whiteColor());
    m_window->setRootViewController(ns::make<TestScreenController>());
    m_window->makeKeyAndVisible();
}

} // namespace velmo
