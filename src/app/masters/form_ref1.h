#pragma once

// The lookup guide: a small window on top of the estimate editor that lists construction
// names (for the breakdown and summary grids) or the products of one construction name
// (for the detail grid). Choosing an entry writes it into the editor's current row and
// moves the cursor one row down; the guide stays open so that line after line can be
// filled. It is shown without waiting; the editor opens, hides and toggles it.

#include <QWidget>
#include <functional>
#include <string>

#include "masters/name_registration.h"

class QCheckBox;
class QComboBox;
class QHeaderView;
class QLabel;
class QPushButton;

namespace quilto {

class GuideEditor;
class MasterListView;
class ProgramState;

class TFormRef1 : public QWidget {
    Q_OBJECT

  public:
    explicit TFormRef1(ProgramState& program, QWidget* parent = nullptr);

    void SetTarget(GuideEditor* target) { target_ = target; }
    // Opens the name registration modally ("名称登録").
    void SetRegistrationOpener(std::function<void()> open) { openRegistration_ = std::move(open); }

    // What the editor does to show the guide: captions, the construction code whose
    // products are listed (product guide), on top, shown without waiting.
    void ShowConstructionGuide();
    void ShowProductGuide(const std::string& constructionCode);
    // Hiding (not closing) when the editor's grid loses the focus or the guide button is
    // pressed again.
    void HideGuide();
    // Button1 and Esc: hides the guide, gives the focus back to the editor and tells it.
    void CloseGuide();

    bool ProductMode() const { return productMode_; }
    const std::string& ConstructionCode() const { return constructionCode_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowGuide(const std::string& word);
    void SetUp();
    void FillList();
    void ConstructionChosen(int index);
    void Choose(int row);
    void OpenRegistration();

    ProgramState& program_;
    GuideEditor* target_ = nullptr;
    std::function<void()> openRegistration_;
    std::string constructionCode_;
    bool setUpDone_ = false;
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
