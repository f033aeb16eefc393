// SPDX-License-Identifier: GPL-3.0-or-later
#include "formfixture.h"

#include <QProgressDialog>
#include <QPushButton>

// "Export figure" as an animation in the real window: the file dialog
// offers the three animation formats, a long export shows a progress dialog,
// and its Cancel leaves no file.
class TestFormAnimation : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void exportOffersAnimations()
    {
        FormFixture form;
        formtest::click(form->Frame1->Command1);
        form.dialogs.queueFile(dir.filePath("small.gif"));
        form->exportFigure();
        const QString filter = form.dialogs.fileRequests().last().filter;
        for (const char *offered :
             {"Animated GIF (*.gif)|*.gif", "Animated WebP (*.webp)|*.webp", "MP4 video (*.mp4)|*.mp4"})
            QVERIFY2(filter.contains(offered), qPrintable(filter));
        QVERIFY(testfiles::readBytes(dir.filePath("small.gif")).startsWith("GIF89a"));
        QCOMPARE(form.dialogs.messages().size(), 0);
    }

    void cancelLeavesNoFile()
    {
        FormFixture form;
        formtest::click(form->Frame1->Command1);
        QTemporaryDir folder;
        const QString path = folder.filePath("cancelled.mp4");
        form.dialogs.queueFile(path);
        form.dialogs.useRealProgress(form.window.get());
        // Clicks Cancel as soon as the progress dialog shows.
        bool clicked = false;
        QTimer watch;
        watch.setInterval(20);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            for (QProgressDialog *dialog : form.window->findChildren<QProgressDialog *>())
                if (dialog->isVisible() && !clicked)
                    for (QPushButton *button : dialog->findChildren<QPushButton *>())
                        if (button->text() == "Cancel") {
                            clicked = true;
                            QTest::mouseClick(button, Qt::LeftButton);
                        }
        });
        watch.start();
        QElapsedTimer timer;
        timer.start();
        form->exportFigure();
        watch.stop();
        QVERIFY(clicked);
        QVERIFY2(timer.elapsed() < 15000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(testfiles::entries(folder.path()), QStringList{});
        QCOMPARE(form.dialogs.messages().size(), 0);
    }
};

QTEST_MAIN(TestFormAnimation)
#include "test_form_animation.moc"
