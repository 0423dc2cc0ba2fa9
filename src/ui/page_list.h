#pragma once
// Page 6: the list of the access points that answered the search, and the status box with the
// settings of the highlighted one. Choosing an entry addresses that device.

#include <QObject>
#include <QString>
#include <array>
#include <functional>

#include "ui/wizard_context.h"

class QLabel;
class QListWidget;
class QWidget;

namespace trv81k {

// Tooltip of the access-point list after a click on its empty space.
inline constexpr char kSelectApHint[] = "Please select an AP to configure";
// The regulatory domain shown for every device.
inline constexpr char kDomainText[] = "ETSI   ";

class ApListPage : public QObject {
public:
    // Builds the list and the status box on `window`; Return in the list calls `yes`.
    ApListPage(WizardContext& context, QWidget& window, std::function<void()> yes);

    // The devices of the last search, the first chosen.
    void Fill();
    // The status box for entry `index` (cleared for an index out of the table).
    void ShowStatus(int index);
    void APListViewClick();
    // Up, Down and Return; true when the key was one of them.
    bool APListViewKeyDown(int key);
    // Shown by the fill rather than by the page table.
    void HideStatus();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Design {
        QListWidget* APListView = nullptr;
        QLabel* Label_One_Or_More_Wireless_Domain = nullptr;
        QLabel* Label_One_Or_More_Wireless_Firmware = nullptr;
        QLabel* Label_One_Or_More_Wireless_MAC = nullptr;
        QLabel* Label_One_Or_More_Wireless_IP = nullptr;
        QLabel* Label_One_Or_More_Wireless_SSID = nullptr;
        QLabel* Label_One_Or_More_Wireless_Channel = nullptr;
        QLabel* Label_One_Or_More_Wireless_WEP = nullptr;
        QLabel* Label_One_Or_More_Wireless_Adapter = nullptr;
    };

    // The status labels in the order of the status box.
    std::array<QLabel*, 8> StatusLabels() const;
    void ChooseEntry(int index);
    // The status box's values named with their captions.
    void NameStatusValues();
    void ApplyListHint();

    WizardContext& context_;
    QWidget& window_;
    std::function<void()> yes_;
    Design ui_;
    // Tooltip of the access-point list: on/off and its text.
    bool listHintOn_ = false;
    QString listHint_;
};

}  // namespace trv81k
