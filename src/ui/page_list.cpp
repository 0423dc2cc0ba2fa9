#include "ui/page_list.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <algorithm>

#include "l10n/placement.h"
#include "ui/accessibility.h"
#include "ui/input_filters.h"
#include "ui/look.h"
#include "ui/page_parts.h"
#include "ui/page_table.h"

namespace trv81k {

ApListPage::ApListPage(WizardContext& context, QWidget& window, std::function<void()> yes)
    : QObject(&window), context_(context), window_(window), yes_(std::move(yes)) {
    QWidget* parent = &window;
    ui_.APListView = new QListWidget(parent);
    ui_.APListView->setObjectName(QStringLiteral("APListView"));
    ui_.APListView->setViewMode(QListView::ListMode);
    ui_.APListView->setSelectionMode(QAbstractItemView::SingleSelection);
    ui_.APListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui_.APListView->setFont(PixelFont("Arial", 12));
    SetBackground(ui_.APListView, look::kWhite);
    ui_.APListView->installEventFilter(this);
    ui_.APListView->viewport()->installEventFilter(this);

    const QFont statusFont = PixelFont("Arial", 11, true);
    ui_.Label_One_Or_More_Wireless_Domain = MakeLabel(parent, "Label_One_Or_More_Wireless_Domain",
                                                      statusFont, look::kBlack, look::kButtonGreen);
    ui_.Label_One_Or_More_Wireless_Firmware =
        MakeLabel(parent, "Label_One_Or_More_Wireless_Firmware", statusFont, look::kBlack,
                  look::kButtonGreen);
    ui_.Label_One_Or_More_Wireless_MAC = MakeLabel(parent, "Label_One_Or_More_Wireless_MAC",
                                                   statusFont, look::kBlack, look::kButtonGreen);
    ui_.Label_One_Or_More_Wireless_IP = MakeLabel(parent, "Label_One_Or_More_Wireless_IP",
                                                  statusFont, look::kMutedText, look::kWhite);
    ui_.Label_One_Or_More_Wireless_SSID = MakeLabel(parent, "Label_One_Or_More_Wireless_SSID",
                                                    statusFont, look::kMutedText, look::kWhite);
    ui_.Label_One_Or_More_Wireless_Channel = MakeLabel(parent, "Label_One_Or_More_Wireless_Channel",
                                                       statusFont, look::kMutedText, look::kWhite);
    ui_.Label_One_Or_More_Wireless_WEP = MakeLabel(parent, "Label_One_Or_More_Wireless_WEP",
                                                   statusFont, look::kMutedText, look::kWhite);
    ui_.Label_One_Or_More_Wireless_Adapter = MakeLabel(parent, "Label_One_Or_More_Wireless_Adapter",
                                                       statusFont, look::kMutedText, look::kWhite);
}

std::array<QLabel*, 8> ApListPage::StatusLabels() const {
    return {ui_.Label_One_Or_More_Wireless_Domain, ui_.Label_One_Or_More_Wireless_Firmware,
            ui_.Label_One_Or_More_Wireless_MAC,    ui_.Label_One_Or_More_Wireless_IP,
            ui_.Label_One_Or_More_Wireless_SSID,   ui_.Label_One_Or_More_Wireless_Channel,
            ui_.Label_One_Or_More_Wireless_WEP,    ui_.Label_One_Or_More_Wireless_Adapter};
}

void ApListPage::HideStatus() {
    for (QLabel* label : StatusLabels()) {
        label->hide();
    }
}

void ApListPage::Fill() {
    ExchangeState& state = context_.exchangeState();
    const int count = state.table.count();
    if (!state.searchAnswered() || count <= 0) {
        return;
    }
    ui_.APListView->clear();
    for (int i = 0; i < count; ++i) {
        ui_.APListView->addItem(FromLatin1(state.table.at(i).deviceNameText()));
    }
    ui_.APListView->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
    listHintOn_ = true;
    ApplyListHint();
    ChooseEntry(0);
    ui_.APListView->viewport()->update();
}

void ApListPage::ChooseEntry(int index) {
    if (context_.exchangeState().choose(index) != nullptr) {
        ShowStatus(index);
    }
}

void ApListPage::ApplyListHint() {
    ui_.APListView->setToolTip(listHintOn_ ? listHint_ : QString());
}

void ApListPage::ShowStatus(int index) {
    for (QLabel* label : StatusLabels()) {
        label->clear();
    }
    ui_.Label_One_Or_More_Wireless_SSID->setToolTip(QString());
    ui_.Label_One_Or_More_Wireless_Domain->setText(QString::fromLatin1(kDomainText));

    const DeviceTable& table = context_.exchangeState().table;
    if (index < 0 || index >= table.count()) {
        NameStatusValues();
        return;
    }
    context_.wizard.currentDevice = table.at(index);
    const DeviceInfo& device = context_.wizard.currentDevice;

    ui_.Label_One_Or_More_Wireless_IP->setText(
        QString::fromStdString(FormatIPv4(device.ipAddress)));
    ui_.Label_One_Or_More_Wireless_Firmware->setText(FromLatin1(device.firmwareText()));
    ui_.Label_One_Or_More_Wireless_MAC->setText(
        QString::fromStdString(formatMac(device.macAddress)));
    const QString ssid = FromLatin1(device.ssidText());
    ui_.Label_One_Or_More_Wireless_SSID->setText(ssid);
    ui_.Label_One_Or_More_Wireless_SSID->setToolTip(PlainToolTip(ssid));
    ui_.Label_One_Or_More_Wireless_Channel->setText(
        context_.Text("label_One_Or_More_Wireless_Channel") + QLatin1Char(' ') +
        QString::number(device.channel));
    const std::string security = StatusSecurityText(device.securityMode, context_.texts);
    ui_.Label_One_Or_More_Wireless_WEP->setText(
        QString::fromUtf8(security.data(), static_cast<qsizetype>(security.size())));
    // The adapter is printed nowhere else: its caption goes in front of it.
    if (const Adapter& adapter = table.adapterOf(index); !adapter.name.empty()) {
        ui_.Label_One_Or_More_Wireless_Adapter->setText(
            context_.AccessibleText("Label_One_Or_More_Wireless_Adapter_Name") +
            QStringLiteral(": ") + QString::fromStdString(AdapterText(adapter)));
    }

    NameStatusValues();
    if (QWidget* picture = window_.findChild<QWidget*>(
            QString::fromLatin1(FindPageLayout(PAGE_STEP_5_SELECT_AP)->picture))) {
        picture->lower();
    }
    for (QLabel* label : StatusLabels()) {
        const std::string name = label->objectName().toStdString();
        if (const ControlGeometry* geometry = FindDefaultPlacement(name)) {
            label->resize(geometry->width, label->height());
        }
        label->show();
    }
}

void ApListPage::NameStatusValues() {
    // A screen reader hears each value with the caption the picture shows beside it (the
    // channel's line starts with its own caption).
    const QString channelCaption = context_.Text("label_One_Or_More_Wireless_Channel");
    for (QLabel* label : StatusLabels()) {
        QString value = label->text();
        if (label == ui_.Label_One_Or_More_Wireless_Channel && value.startsWith(channelCaption)) {
            value.remove(0, channelCaption.size());
        }
        if (label == ui_.Label_One_Or_More_Wireless_Adapter) {
            value = value.section(QStringLiteral(": "), 1);
        }
        label->setAccessibleName(CaptionedValue(
            context_.AccessibleText(label->objectName().toStdString() + "_Name"), value.trimmed()));
    }
}

void ApListPage::APListViewClick() {
    int row = -1;
    for (int i = 0; i < ui_.APListView->count(); ++i) {
        if (ui_.APListView->item(i)->isSelected()) {
            row = i;
            break;
        }
    }
    if (row >= 0 && row < ui_.APListView->count()) {
        ChooseEntry(row);
        listHintOn_ = false;
    } else {
        // A click on empty space: the previous choice stays on show and addressed.
        listHint_ = QString::fromLatin1(kSelectApHint);
        context_.exchangeState().setSelectedIndex(0);
    }
    ApplyListHint();
}

bool ApListPage::APListViewKeyDown(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        yes_();
        return true;
    }
    if (key != Qt::Key_Up && key != Qt::Key_Down) {
        return false;
    }
    const int rows = ui_.APListView->count();
    if (rows == 0) {
        return true;  // nothing to move over
    }
    int selected = context_.exchangeState().selectedIndex();
    selected = std::clamp(selected, 0, rows - 1);
    if (key == Qt::Key_Up && selected != 0) {
        --selected;
    } else if (key == Qt::Key_Down && selected != rows - 1) {
        ++selected;
    }
    ui_.APListView->setCurrentRow(selected, QItemSelectionModel::ClearAndSelect);
    ui_.APListView->viewport()->update();
    ChooseEntry(selected);
    return true;
}

bool ApListPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_.APListView && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            return false;
        }
        // Up, Down and Return have their handler; other keys do nothing (the list does not
        // move its selection on its own, so it always shows the chosen entry).
        APListViewKeyDown(key->key());
        return true;
    }
    if (watched == ui_.APListView->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (ui_.APListView->itemAt(mouse->position().toPoint()) == nullptr) {
                ui_.APListView->clearSelection();  // a click on empty space unselects
                return true;
            }
        } else if (event->type() == QEvent::MouseButtonRelease) {
            APListViewClick();
        } else if (event->type() == QEvent::MouseButtonDblClick) {
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace trv81k
