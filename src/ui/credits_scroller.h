#pragma once

#include <QStringList>
#include <QTimer>
#include <QWidget>

namespace kestrova::ui {

// Lines of text that rise slowly from the bottom edge and start over once the
// last one has left the top.
class CreditsScroller : public QWidget {
    Q_OBJECT
public:
    CreditsScroller(QStringList lines, QWidget* parent = nullptr);

    const QStringList& Lines() const { return lines_; }
    int Offset() const { return offset_; }  // pixels risen since the start

    void Restart();
    void Stop();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Step();
    int LineHeight() const;

    QStringList lines_;
    QTimer timer_;
    int offset_ = 0;
};

}  // namespace kestrova::ui
