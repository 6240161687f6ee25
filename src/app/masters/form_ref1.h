#pragma once

// The lookup guide: a small window on top of the estimate editor that lists construction
// names (for the breakdown and summary grids) or the products of one construction name
// (for the detail grid). Choosing an entry writes it into the editor's current row and
// moves the cursor one row down; the guide stays open so that line after line can be
// filled. It is shown without waiting; the editor opens, hides and toggles it.

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "app/foundation/lookup_guide_link.h"
#include "core/masters/name_registration.h"

class QCheckBox;
class QComboBox;
class QHeaderView;
class QLabel;
class QPushButton;

namespace quilto {

class MasterListView;
class ProgramState;

class TFormRef1 : public QWidget, public LookupGuide {
    Q_OBJECT

  public:
    explicit TFormRef1(ProgramState& program, QWidget* parent = nullptr);

    void SetTarget(GuideTarget* target) { target_ = target; }
    // Opens the name registration modally ("名称登録").
    void SetRegistrationOpener(std::function<void()> open) { openRegistration_ = std::move(open); }

    // LookupGuide: what the editor does to show, hide and toggle the guide. Captions are
    // CP932.
    bool IsGuideVisible() const override { return isVisible(); }
    void ShowConstructionGuide(const std::string& caption, const std::string& panel) override;
    void ShowProductGuide(const std::string& caption, const std::string& panel,
                          const std::string& constructionCode) override;
    // Hiding (not closing) when the editor's grid loses the focus or the guide key is pressed
    // again.
    void HideGuide() override;
    // Button1 and Esc: hides the guide, gives the focus back to the editor and tells it.
    void CloseGuide();

    bool ProductMode() const { return productMode_; }
    const std::string& ConstructionCode() const { return constructionCode_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowGuide(const std::string& caption, const std::string& panel);
    void SetUp();
    void FillList();
    void ConstructionChosen(int index);
    void Choose(int row);
    void OpenRegistration();

    ProgramState& program_;
    GuideTarget* target_ = nullptr;
    // The editor's grid the guide was set up for.
    std::optional<SheetKind> sheet_;
    std::function<void()> openRegistration_;
    std::string constructionCode_;
    bool setUpDone_ = false;
    bool placed_ = false;
    bool productMode_ = false;
    ListItems items_;

    QLabel* panel2_ = nullptr;
    QCheckBox* chkJyun_ = nullptr;
    QPushButton* button2_ = nullptr;
    QPushButton* button1_ = nullptr;
    QLabel* kojiPanel_ = nullptr;
    QComboBox* kojiListBox_ = nullptr;
    QHeaderView* header_ = nullptr;
    MasterListView* listBox1_ = nullptr;
};

}  // namespace quilto
