// The modeless progress dialog shown while a file is read or written, an image is dithered or a
// picture imported: "進行状況" with "お待ちください" and its bar.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>

#include "platform/progress.h"

class QProgressBar;

namespace korvanta {

class CProgressDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CProgressDlg(QWidget* parent = nullptr);

    QProgressBar* Bar() const { return m_pBar; }

private:
    QProgressBar* m_pBar;  // control 1051
};

// One piece of work's progress on a CProgressDlg, closed when the work ends.
class QtProgress final : public Progress {
public:
    explicit QtProgress(QWidget* parent);
    ~QtProgress() override;
    QtProgress(const QtProgress&) = delete;
    QtProgress& operator=(const QtProgress&) = delete;

    void SetRange(int lower, int upper) override;
    void SetPos(int position) override;

    CProgressDlg* Dialog() const { return m_pDialog; }

private:
    // Lets the dialog paint itself without handling the user's input: the work runs on the one
    // thread the windows have, and nothing else may reach the document while it runs.
    void Repaint(bool force);

    QPointer<CProgressDlg> m_pDialog;
    QElapsedTimer m_sinceRepaint;
};

class QtProgressFactory final : public ProgressFactory {
public:
    explicit QtProgressFactory(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }
    std::unique_ptr<Progress> CreateProgress() override;

private:
    QPointer<QWidget> m_parent;
};

}  // namespace korvanta
