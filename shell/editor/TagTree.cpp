#include "shell/editor/TagTree.h"

#include "base/ui/NamedControl.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QMimeData>
#include <QPainter>
#include <QStyle>

namespace orv {

namespace {

constexpr int kHintRole = Qt::UserRole;
constexpr int kExampleRole = Qt::UserRole + 1;

// The descriptors' hints break lines with carriage returns.
QString HintText(const std::string& text) {
    QString hint = FromCp1251(text);
    hint.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    hint.replace(QChar('\r'), QChar('\n'));
    return hint;
}

// A group's icon: its module Id on a coloured disc, so that groups tell apart at a glance.
QIcon GroupIcon(int id) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor::fromHsv((id * 47) % 360, 140, 200));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(1, 1, 14, 14);
    painter.setPen(Qt::black);
    QFont font = painter.font();
    font.setPixelSize(9);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString::number(id));
    return QIcon(pixmap);
}

} // namespace

TTagTree::TTagTree(QWidget* parent) : QTreeWidget(parent) {
    setObjectName("tvTags");
    setHeaderHidden(true);
    setColumnCount(1);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        emit HintChosen(item->data(0, kHintRole).toString());
    });
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item->parent()) emit ExampleChosen(Example(item));
    });

    // A child of the tree, not of its window: the window's language walk does not reach it.
    emptyHint_ = new QWidget(viewport());
    emptyHint_->setObjectName("pnNoTags");
    auto* layout = new QVBoxLayout(emptyHint_);
    emptyText_ = new QLabel(emptyHint_);
    emptyText_->setObjectName("lblNoTags");
    emptyText_->setWordWrap(true);
    emptyText_->setAlignment(Qt::AlignCenter);
    emptyButton_ = new QPushButton(emptyHint_);
    emptyButton_->setObjectName("btnOpenModules");
    layout->addStretch(1);
    layout->addWidget(emptyText_);
    layout->addWidget(emptyButton_, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    connect(emptyButton_, &QPushButton::clicked, this, &TTagTree::ModulesRequested);
    emptyHint_->show();
}

void TTagTree::SetEmptyHint(const QString& text, const QString& button) {
    emptyText_->setText(text);
    emptyButton_->setText(button);
}

bool TTagTree::EmptyHintShown() const { return !emptyHint_->isHidden(); }

void TTagTree::PlaceEmptyHint() {
    emptyHint_->setGeometry(viewport()->rect());
    emptyHint_->setVisible(topLevelItemCount() == 0);
}

void TTagTree::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    PlaceEmptyHint();
}

void TTagTree::Fill(const std::vector<TTagGroup>& groups) {
    clear();
    const QIcon tagIcon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    for (const TTagGroup& group : groups) {
        auto* top = new QTreeWidgetItem(this, {FromCp1251(group.Caption)});
        top->setIcon(0, GroupIcon(group.IconIndex));
        top->setData(0, kHintRole, HintText(group.Hint));
        top->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        for (const TTagNode& tag : group.Tags) {
            auto* node = new QTreeWidgetItem(top, {FromCp1251(tag.Caption)});
            node->setIcon(0, tagIcon);
            node->setData(0, kHintRole, HintText(tag.Hint));
            node->setData(0, kExampleRole, FromCp1251(tag.Example));
            node->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
        }
    }
    PlaceEmptyHint();
}

QString TTagTree::Example(const QTreeWidgetItem* item) {
    return item && item->parent() ? item->data(0, kExampleRole).toString() : QString();
}

QMimeData* TTagTree::mimeData(const QList<QTreeWidgetItem*>& items) const {
    if (items.isEmpty() || Example(items.front()).isEmpty()) return nullptr;
    auto* mime = new QMimeData;
    mime->setText(Example(items.front()));
    return mime;
}

} // namespace orv
