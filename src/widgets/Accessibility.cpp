#include "widgets/Accessibility.h"

#include "widgets/Controls.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QLabel>
#include <QScrollArea>

#include <algorithm>
#include <vector>

namespace tallowmere {
namespace {

class AccessibleSwitch : public QAccessibleWidget {
public:
    explicit AccessibleSwitch(ToggleRow* row)
        : QAccessibleWidget(row, QAccessible::CheckBox) {}

    QString text(QAccessible::Text kind) const override {
        // The title is drawn cut short when it does not fit; its full text is the name.
        if (kind == QAccessible::Name)
            return row()->accessibleName().isEmpty() ? row()->text() : row()->accessibleName();
        if (kind == QAccessible::Description)
            return row()->subtitle();
        return QAccessibleWidget::text(kind);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = row()->isChecked();
        return state;
    }
    QStringList actionNames() const override { return QStringList(toggleAction()) + QAccessibleWidget::actionNames(); }
    void doAction(const QString& name) override {
        if (name == toggleAction() || name == pressAction())
            row()->click();
        else
            QAccessibleWidget::doAction(name);
    }

private:
    ToggleRow* row() const { return static_cast<ToggleRow*>(widget()); }
};

class AccessibleBusyIndicator : public QAccessibleWidget {
public:
    explicit AccessibleBusyIndicator(QWidget* indicator)
        : QAccessibleWidget(indicator, QAccessible::ProgressBar) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.busy = true;
        return state;
    }
};

class AccessibleValueSlider : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit AccessibleValueSlider(ValueSlider* slider)
        : QAccessibleWidget(slider, QAccessible::Slider) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value)
            return QString::number(slider()->number(), 'g', 10);
        return QAccessibleWidget::text(kind);
    }
    QVariant currentValue() const override { return slider()->number(); }
    // As a person dragging the knob there and letting go.
    void setCurrentValue(const QVariant& value) override {
        slider()->setSliderDown(true);
        slider()->setNumber(value.toDouble());
        slider()->setSliderDown(false);
    }
    QVariant maximumValue() const override { return slider()->maximumNumber(); }
    QVariant minimumValue() const override { return slider()->minimumNumber(); }
    QVariant minimumStepSize() const override { return slider()->step(); }

private:
    ValueSlider* slider() const { return static_cast<ValueSlider*>(widget()); }
};

// Qt's own description of a label takes a single "&" for a mnemonic marker, which our labels, all plain text,
// never have ("Startup & privacy", a volume named "Tom & Jerry").
class AccessibleLabel : public QAccessibleWidget {
public:
    explicit AccessibleLabel(QLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText) {}

    QAccessible::Role role() const override {
        return label()->text().isEmpty() && !label()->pixmap().isNull() ? QAccessible::Graphic
                                                                        : QAccessible::StaticText;
    }
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
            return label()->text();
        return QAccessibleWidget::text(kind);
    }

private:
    QLabel* label() const { return static_cast<QLabel*>(widget()); }
};

QAccessibleInterface* accessibleControl(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return nullptr;
    if (className == QLatin1String(ToggleRow::staticMetaObject.className()))
        return new AccessibleSwitch(static_cast<ToggleRow*>(widget));
    if (className == QLatin1String(BusyIndicator::staticMetaObject.className()))
        return new AccessibleBusyIndicator(widget);
    if (className == QLatin1String(ValueSlider::staticMetaObject.className()))
        return new AccessibleValueSlider(static_cast<ValueSlider*>(widget));
    if (className == QLatin1String("QLabel"))
        return new AccessibleLabel(static_cast<QLabel*>(widget));
    return nullptr;
}

// An item view tells its accessible description that its rows changed only while assistive technology listens
// (`QAccessible::isActive()`); read without it, its rows are described afresh.
QAccessibleInterface* withCurrentRows(QAccessibleInterface* node) {
    if (!node || QAccessible::isActive() || node->role() != QAccessible::List)
        return node;
    QObject* view = node->object();
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(node));
    return QAccessible::queryAccessibleInterface(view);
}

void visitChildren(QAccessibleInterface& node, const std::function<bool(QAccessibleInterface&)>& visit) {
    for (int i = 0; i < node.childCount(); ++i) {
        QAccessibleInterface* child = withCurrentRows(node.child(i));
        if (child && !child->state().invisible && visit(*child))
            visitChildren(*child, visit);
    }
}

} // namespace

void installAccessibility() {
    QAccessible::installFactory(accessibleControl);
}

void visitAccessibilityTree(QWidget* window, const std::function<bool(QAccessibleInterface&)>& visit) {
    if (QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window))
        visitChildren(*root, visit);
}

bool focusNextInReadingOrder(QWidget* window, bool forward) {
    std::vector<QWidget*> controls;
    visitAccessibilityTree(window, [&](QAccessibleInterface& node) {
        auto* widget = qobject_cast<QWidget*>(node.object());
        if (widget && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus))
            controls.push_back(widget);
        return node.role() != QAccessible::List;
    });
    if (controls.empty())
        return false;
    const auto current = std::find(controls.begin(), controls.end(), window->focusWidget());
    const size_t count = controls.size();
    size_t next = forward ? 0 : count - 1;
    if (current != controls.end())
        next = (static_cast<size_t>(current - controls.begin()) + (forward ? 1 : count - 1)) % count;
    QWidget* control = controls[next];
    control->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    for (QWidget* outer = control->parentWidget(); outer; outer = outer->parentWidget())
        if (auto* area = qobject_cast<QScrollArea*>(outer))
            area->ensureWidgetVisible(control);
    return true;
}

} // namespace tallowmere
