// SPDX-License-Identifier: GPL-3.0-or-later
#include "formfixture.h"
#include "historycheck.h"
#include "historywindow.h"
#include "imagecheck.h"
#include "pngrecipe.h"
#include "recipetext.h"
#include "thumbnail.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QListView>
#include <QSignalSpy>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

using historycheck::canvas;

// Draws the figure in the fields and then one of frequency 5, and opens the
// History window on the two.
static HistoryWindow *showTwoDrawings(Form1 &form)
{
    formtest::drawFigure(form);
    formtest::setTexts(form, {{"Text2", "5"}});
    formtest::click(form.Frame1->Command1);
    historycheck::of(form).showWindow();
    return historycheck::of(form).window();
}

class TestHistory : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    // An entry of a few bytes, as the model keeps any.
    static QByteArray recipeNumber(int i) { return "recipe " + QByteArray::number(i); }
    static History::ThumbnailMaker made(QByteArray thumbnail)
    {
        return [thumbnail] { return thumbnail; };
    }

private slots:
    void autoRunSteppedBack_data()
    {
        QTest::addColumn<int>("randomColors");
        QTest::newRow("fixed colours") << 0;
        QTest::newRow("random pen") << 1;
        QTest::newRow("random pen and background") << 3;
        QTest::newRow("random colours once per drawing") << 2;
    }
    void autoRunSteppedBack()
    {
        QFETCH(int, randomColors);
        FormFixture form;
        QVERIFY(formtest::activate(*form));
        form->state().prefs.randomColors = static_cast<std::int16_t>(randomColors);
        historycheck::Recorder drawn(*form, 3);
        formtest::click(form->Frame1->Command17);
        QCOMPARE(drawn.images.size(), 3);

        historycheck::step(*form, -1);
        historycheck::step(*form, -1);
        COMPARE_IMAGES(canvas(*form), drawn.images[0]);
        const ParameterTexts texts = recipe::fieldTexts(drawn.recipes[0]);
        for (int i = 0; i < ParameterTexts::Count; ++i)
            QCOMPARE(form->Frame1->texts().text[i], texts.text[i]);
        QCOMPARE(form->state().prefs.randomColors, randomColors);
        // Bringing back adds nothing; forward again is the second figure.
        History &history = historycheck::of(*form).history();
        QCOMPARE(history.entries().size(), std::size_t(3));
        QCOMPARE(*history.current(), history.entries()[0].id);
        historycheck::step(*form, +1);
        COMPARE_IMAGES(canvas(*form), drawn.images[1]);
        QCOMPARE(drawn.images.size(), 3);
    }

    void steppingStopsARun()
    {
        FormFixture form;
        QVERIFY(formtest::activate(*form));
        historycheck::Recorder drawn(*form, 2);
        formtest::click(form->Frame1->Command17);
        // A long drawing, stopped by the step at its first yield.
        form->state().prefs.turns = 1000;
        formtest::duringRun(*form, 0, [&] { historycheck::step(*form, -1); });
        formtest::click(form->Frame1->Command1);
        QTRY_COMPARE(form->state().drawingActive, std::int16_t(0));
        QTRY_COMPARE(*historycheck::of(*form).history().current(),
                     historycheck::of(*form).history().entries()[1].id);
        QCOMPARE(form->Frame1->Command17->text(), QString("Auto Run"));
    }

    void restartKeepsHistory()
    {
        FormFixture form;
        QVERIFY(formtest::activate(*form));
        historycheck::Recorder drawn(*form);
        formtest::drawFigure(*form);
        formtest::setTexts(*form, {{"Text1", ""}, {"Text2", ""}});
        formtest::click(form->Frame1->Command1);
        historycheck::of(*form).history().finishWrites();
        const std::vector<HistoryEntry> before = historycheck::of(*form).history().entries();
        QCOMPARE(before.size(), std::size_t(2));

        form.start();
        QVERIFY(formtest::activate(*form));
        History &history = historycheck::of(*form).history();
        QVERIFY(history.entries() == before);
        historycheck::of(*form).bringBack(before[1].id);
        COMPARE_IMAGES(canvas(*form), drawn.images[1]);
    }

    void damagedFile_data()
    {
        QTest::addColumn<QByteArray>("damage");
        QTest::addColumn<int>("left");
        // Three entries: the header and the records of 0, 1 and 2.
        const auto records = [] {
            QByteArray bytes(historyfile::header);
            for (int i = 0; i < 3; ++i)
                bytes += historyfile::entryRecord({std::uint64_t(i + 1), i, false, recipeNumber(i), "png"});
            return bytes;
        };
        const QByteArray whole = records();
        const qsizetype second = whole.indexOf("recipe 1");
        QByteArray flipped = whole;
        flipped[second] = 'R';
        QTest::newRow("cut in the last record") << whole.left(whole.size() - 5) << 2;
        QTest::newRow("cut in the header") << whole.left(8) << 0;
        QTest::newRow("a byte changed in the middle record") << flipped << 2;
        QTest::newRow("garbage between records")
            << whole.left(second - 40) + QByteArray(300, 'x') + whole.mid(second - 40) << 2;
        QTest::newRow("garbage after the records") << whole + QByteArray(100, '\xab') << 3;
        QTest::newRow("foreign file") << QByteArray("<html>\n").repeated(50) << 0;
        QTest::newRow("the second record claiming 4 GB")
            << whole.left(whole.indexOf("\xabVhR", sizeof historyfile::header) + 4) + QByteArray(12, '\xff')
            << 1;
    }
    void damagedFile()
    {
        QFETCH(QByteArray, damage);
        QFETCH(int, left);
        FormFixture form(FormFixture::NotStarted{});
        QVERIFY(testfiles::writeBytes(form.historyPath, damage));
        form.start();
        QVERIFY(formtest::activate(*form));
        History &history = historycheck::of(*form).history();
        QCOMPARE(int(history.entries().size()), left);
        for (const HistoryEntry &entry : history.entries())
            QCOMPARE(entry.thumbnail, QByteArray("png"));
        // The window draws and keeps on, and the file reads whole again.
        formtest::drawFigure(*form);
        history.finishWrites();
        QCOMPARE(int(historyfile::read(form.historyPath).entries.size()), left + 1);
        QCOMPARE(historyfile::read(form.historyPath).skipped, 0);
    }

    void interruptedWriteLosesOneEntry()
    {
        const QString path = dir.filePath("interrupted");
        History history(path);
        for (int i = 0; i < 4; ++i)
            history.add(recipeNumber(i), made("png"), i);
        history.finishWrites();
        QByteArray bytes = testfiles::readBytes(path);
        for (qsizetype cut = 1; cut < historyfile::entryRecord(history.entries().back()).size(); cut += 7) {
            const historyfile::Contents contents = historyfile::parse(bytes.left(bytes.size() - cut));
            QCOMPARE(contents.entries.size(), std::size_t(3));
            QCOMPARE(contents.entries.back().recipe, recipeNumber(2));
        }
    }

    void favouritesOutliveTheBound()
    {
        const QString path = dir.filePath("favourites");
        std::vector<std::uint64_t> favourites;
        {
            History history(path);
            for (int i = 0; i < int(History::bound) + 150; ++i) {
                history.add(recipeNumber(i), made({}), i);
                if (i % 100 == 0) {
                    favourites.push_back(history.entries().back().id);
                    history.setFavourite(favourites.back(), true);
                }
            }
            // Seven favourites, two of them older than the last 500 drawings.
            QCOMPARE(history.entries().size(), History::bound + 7);
            QCOMPARE(history.entries().front().id, favourites[0]);
            QCOMPARE(history.entries()[1].id, favourites[1]);
            QCOMPARE(history.entries().back().recipe, recipeNumber(History::bound + 149));
            // A favourite no longer gives way to newer drawings at once.
            history.setFavourite(favourites[0], false);
            QCOMPARE(history.entries().front().id, favourites[1]);
        }
        History again(path);
        again.finishWrites();
        QCOMPARE(again.entries().size(), History::bound + 6);
        QCOMPARE(again.entries().front().id, favourites[1]);
        // The file is rewritten down to what is kept, well short of every record.
        QVERIFY(historyfile::read(path).records <= int(History::bound + 6 + 101));
    }

    void twoWindowsShareTheFile()
    {
        const QString path = dir.filePath("shared");
        History first(path);
        History second(path);
        for (int i = 0; i < 300; ++i) {
            first.add(recipeNumber(i), made({}), i);
            second.add(recipeNumber(1000 + i), made({}), i);
        }
        second.remove(second.entries().back().id);
        first.finishWrites();
        second.finishWrites();
        // Every record of both is whole, each window's in the order it kept
        // them, though the two writers took turns as they came; a window
        // reading them keeps the newest up to the bound.
        const historyfile::Contents contents = historyfile::read(path);
        QCOMPARE(contents.skipped, 0);
        QCOMPARE(contents.entries.size(), std::size_t(599));
        int last[2] = {-1, 999};
        for (const HistoryEntry &entry : contents.entries) {
            const int number = entry.recipe.mid(7).toInt();
            int &before = last[number >= 1000 ? 1 : 0];
            QVERIFY2(number == before + 1, entry.recipe.constData());
            before = number;
        }
        QCOMPARE(last[0], 299);
        QCOMPARE(last[1], 1298);
        const History third(path);
        QCOMPARE(third.entries().size(), History::bound);
        QVERIFY(std::equal(third.entries().begin(), third.entries().end(),
                           contents.entries.end() - History::bound));
    }

    void fewPicturesWait()
    {
        const QString path = dir.filePath("pictures");
        History history(path);
        // Each picture waiting for its thumbnail holds a copy of the token;
        // the first thumbnail takes 500 ms, while drawings go on ending.
        const auto token = std::make_shared<int>(0);
        std::promise<void> open;
        const std::shared_future<void> gate = open.get_future().share();
        std::thread opener([&open] {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            open.set_value();
        });
        long most = 0;
        for (int i = 0; i < 20; ++i) {
            history.add(
                recipeNumber(i),
                [token, gate] {
                    gate.wait();
                    return QByteArray("png");
                },
                i);
            most = std::max(most, token.use_count() - 1);
        }
        opener.join();
        QVERIFY2(most <= 8, qPrintable(QString("%1 pictures waited").arg(most)));
        history.finishWrites();
        QCOMPARE(token.use_count(), 1);
        QCOMPARE(historyfile::read(path).entries.size(), std::size_t(20));
        QCOMPARE(history.entries().back().thumbnail, QByteArray("png"));
        // A file held by another window holds back no picture.
        {
            historycheck::HeldLock lock(path, std::chrono::seconds(5));
            for (int i = 0; i < 20; ++i)
                history.add(
                    recipeNumber(i), [token] { return QByteArray("png"); }, i);
            QTRY_COMPARE(token.use_count(), 1);
        }
        history.finishWrites();
        QCOMPARE(historyfile::read(path).entries.size(), std::size_t(40));
    }

    void keepingWaitsForNoFile()
    {
        FormFixture form;
        QVERIFY(formtest::activate(*form));
        HistoryCommands &commands = historycheck::of(*form);
        commands.showWindow();
        // Another window holds the file: the drawing ends and is kept all
        // the same, and written once the lock is free.
        historycheck::HeldLock lock(form.historyPath, std::chrono::seconds(5));
        QVERIFY(lock.held());
        QElapsedTimer took;
        took.start();
        formtest::drawFigure(*form);
        QVERIFY2(took.elapsed() < 2500, qPrintable(QString("the drawing took %1 ms").arg(took.elapsed())));
        History &history = commands.history();
        QCOMPARE(history.entries().size(), std::size_t(1));
        QCOMPARE(QFileInfo(form.historyPath).size(), 0);
        lock.release();
        history.finishWrites();
        const historyfile::Contents contents = historyfile::read(form.historyPath);
        QCOMPARE(contents.entries.size(), std::size_t(1));
        QVERIFY(contents.entries[0] == history.entries()[0]);
        // The thumbnail is the figure as the drawing left it, and the open
        // window shows it.
        QCOMPARE(contents.entries[0].thumbnail, thumbnail::png(thumbnail::picture(form->surface())));
        const QImage small = QImage::fromData(contents.entries[0].thumbnail, "PNG");
        QVERIFY(!small.isNull() && small.width() <= thumbnail::bounds.width() &&
                small.height() <= thumbnail::bounds.height());
        const QPixmap shown = commands.window()->model()->index(0).data(Qt::DecorationRole).value<QPixmap>();
        QCOMPARE(shown.size(), small.size());
    }

    void endingWritesEverything()
    {
        FormFixture form;
        QVERIFY(formtest::activate(*form));
        QList<QByteArray> recipes;
        {
            // The writer is held back until after the window has ended.
            historycheck::HeldLock lock(form.historyPath, std::chrono::milliseconds(300));
            formtest::drawFigure(*form);
            formtest::setTexts(*form, {{"Text2", "5"}});
            formtest::click(form->Frame1->Command1);
            for (const HistoryEntry &entry : historycheck::of(*form).history().entries())
                recipes << entry.recipe;
            form.window.reset();
        }
        const historyfile::Contents contents = historyfile::read(form.historyPath);
        QCOMPARE(contents.skipped, 0);
        QCOMPARE(contents.entries.size(), std::size_t(2));
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(contents.entries[std::size_t(i)].recipe, recipes[i]);
            QVERIFY(!QImage::fromData(contents.entries[std::size_t(i)].thumbnail, "PNG").isNull());
        }
    }

    void starMarksFavourite()
    {
        FormFixture form;
        QVERIFY(formtest::activate(*form));
        historycheck::Recorder drawn(*form);
        HistoryWindow *window = showTwoDrawings(*form);
        HistoryCommands &commands = historycheck::of(*form);
        // The window counts as active while the main window is, being its
        // child: it is waited for as the active window itself.
        window->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), window);
        History &history = commands.history();
        const std::uint64_t older = history.entries()[0].id;
        const std::uint64_t newer = history.entries()[1].id;
        const auto favourite = [&] { return history.find(older)->favourite; };

        // A click on the older figure's star marks it, and a second one
        // unmarks it; neither brings the figure back.
        QListView *list = window->list();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, window->starArea(older).center());
        QVERIFY(favourite());
        QVERIFY(window->model()->index(1).data().toString().startsWith(QStringLiteral("\u2605 ")));
        QVERIFY(window->model()->index(1).data(HistoryModel::FavouriteRole).toBool());
        QVERIFY(!history.find(newer)->favourite);
        history.finishWrites();
        QVERIFY(historyfile::read(form.historyPath).entries.front().favourite);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, window->starArea(older).center());
        QVERIFY(!favourite());
        QCOMPARE(drawn.images.size(), 2);
        QCOMPARE(*history.current(), newer);

        // S and Ctrl+D mark and unmark the selected figure.
        list->setCurrentIndex(window->model()->index(1));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_S);
        QVERIFY(favourite());
        QTest::keyClick(list, Qt::Key_D, Qt::ControlModifier);
        QVERIFY(!favourite());
        QTest::keyClick(list, Qt::Key_D, Qt::ControlModifier);
        QVERIFY(favourite());
        QVERIFY(!history.find(newer)->favourite);
        QCOMPARE(drawn.images.size(), 2);
        history.finishWrites();
        QVERIFY(historyfile::read(form.historyPath).entries.front().favourite);
        // Delete still removes it.
        QTest::keyClick(list, Qt::Key_Delete);
        QVERIFY(!history.find(older));
        QCOMPARE(window->model()->rowCount(), 1);
    }

    void windowDecodesWhatItShows()
    {
        FormFixture form(FormFixture::NotStarted{});
        QImage picture(200, 160, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        const QByteArray png = thumbnail::png(picture);
        QByteArray bytes(historyfile::header);
        for (int i = 0; i < int(History::bound); ++i)
            bytes += historyfile::entryRecord({std::uint64_t(i + 1), i, false, recipeNumber(i), png});
        QVERIFY(testfiles::writeBytes(form.historyPath, bytes));
        form.start();
        QVERIFY(formtest::activate(*form));
        QTest::keyClick(form.window.get(), Qt::Key_H, Qt::ControlModifier);
        HistoryWindow *window = historycheck::of(*form).window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        HistoryModel *rows = window->model();
        QCOMPARE(rows->rowCount(), int(History::bound));
        // Only the rows in sight are decoded, the newest at the top.
        window->grab();
        const int first = rows->decoded();
        QVERIFY2(first > 0 && first < 100, qPrintable(QString::number(first)));
        QCOMPARE(rows->idAt(0), std::uint64_t(History::bound));
        window->list()->scrollToBottom();
        window->grab();
        QVERIFY(rows->decoded() > first && rows->decoded() < 2 * first + 20);
        const QPixmap oldest = rows->index(rows->rowCount() - 1).data(Qt::DecorationRole).value<QPixmap>();
        QCOMPARE(oldest.toImage().pixel(oldest.width() / 2, oldest.height() / 2), QColor(Qt::darkCyan).rgb());
    }

    void pasting_data()
    {
        QTest::addColumn<bool>("whole");
        QTest::newRow("recipe text") << true;
        QTest::newRow("parameter file lines") << false;
    }
    void pasting()
    {
        QFETCH(bool, whole);
        FormFixture form;
        QVERIFY(formtest::activate(*form));
        historycheck::Recorder drawn(*form);
        form->state().prefs.randomColors = 1;
        formtest::setTexts(*form, {{"Text1", "1500"}, {"Text3", "1500"}});
        formtest::click(form->Frame1->Command1);
        const recipetext::FigureRecipe figure{drawn.recipes[0], form->surface().size(), 15, true};
        const QByteArray text = recipetext::chunkText(figure);
        form->state().prefs.randomColors = 0;
        formtest::click(form->Frame1->Command3);
        formtest::fillFields(*form);
        QGuiApplication::clipboard()->setText(whole ? text : text.split('\n').mid(1, 14).join('\n'));
        form->canvas->setFocus();
        QTest::keyClick(form->canvas, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(drawn.images.size(), 2);
        QCOMPARE(form->state().lastRecipe->parameters.x.amplitude, drawn.recipes[0].parameters.x.amplitude);
        // Only the whole recipe brings the random pen back.
        if (whole)
            COMPARE_IMAGES(drawn.images[1], drawn.images[0]);
        // A field keeps Ctrl+V for itself.
        formtest::field(*form, "Text5")->setFocus();
        formtest::field(*form, "Text5")->clear();
        QGuiApplication::clipboard()->setText("7");
        QTest::keyClick(formtest::field(*form, "Text5"), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(formtest::field(*form, "Text5")->text(), QString("7"));
        QCOMPARE(drawn.images.size(), 2);
    }

    void historyWindow()
    {
        FormFixture form;
        QVERIFY(formtest::activate(*form));
        historycheck::Recorder drawn(*form, 4);
        formtest::click(form->Frame1->Command17);
        QTest::keyClick(form.window.get(), Qt::Key_H, Qt::ControlModifier);
        HistoryWindow *window = historycheck::of(*form).window();
        QVERIFY(window && window->isVisible() && window->isWindow());
        QListView *list = window->list();
        HistoryModel *rows = window->model();
        QCOMPARE(rows->rowCount(), 4);
        History &history = historycheck::of(*form).history();
        QCOMPARE(rows->idAt(0), history.entries()[3].id);
        history.finishWrites();
        QVERIFY(!rows->index(0).data(Qt::DecorationRole).value<QPixmap>().isNull());

        // A click brings the figure back.
        const QRect third = list->visualRect(rows->index(2));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third.center());
        COMPARE_IMAGES(canvas(*form), drawn.images[1]);
        QCOMPARE(list->currentIndex().row(), 2);

        // Delete removes it; a new drawing comes in at the top.
        const std::uint64_t removed = rows->idAt(2);
        QTest::keyClick(window, Qt::Key_Delete);
        QCOMPARE(rows->rowCount(), 3);
        QCOMPARE(history.entries().size(), std::size_t(3));
        QVERIFY(!history.find(removed));
        formtest::drawFigure(*form);
        QCOMPARE(rows->rowCount(), 4);
        QCOMPARE(rows->idAt(0), history.entries().back().id);
    }

    void windowMenuCommands()
    {
        FormFixture form;
        QVERIFY(formtest::activate(*form));
        form->state().prefs.randomColors = 1;
        HistoryWindow *window = showTwoDrawings(*form);
        HistoryCommands &commands = historycheck::of(*form);
        const HistoryEntry first = commands.history().entries().front();

        emit window->copyAsked(first.id);
        QCOMPARE(QGuiApplication::clipboard()->text().toUtf8(), first.recipe);

        // Export draws the older figure again: its picture carries its recipe.
        const QString path = dir.filePath("first.png");
        form.dialogs.queueFile(path);
        emit window->exportAsked(first.id);
        QCOMPARE(form.dialogs.fileRequests().last().title, QString("Export figure"));
        // A picture's chunk ends its lines with LF alone.
        QCOMPARE(*pngrecipe::read(path).text, QByteArray(first.recipe).replace("\r\n", "\n"));

        emit window->favouriteChanged(first.id, true);
        QVERIFY(commands.history().entries().front().favourite);
        const QModelIndex row = window->model()->index(window->model()->rowOf(first.id));
        QVERIFY(row.data().toString().startsWith(QStringLiteral("\u2605 ")));
        commands.history().finishWrites();
        QVERIFY(historyfile::read(form.historyPath).entries.front().favourite);
        emit window->removeAsked(first.id);
        QCOMPARE(window->model()->rowCount(), 1);
        commands.history().finishWrites();
        QCOMPARE(historyfile::read(form.historyPath).entries.size(), std::size_t(1));
    }
};

QTEST_MAIN(TestHistory)
#include "test_history.moc"
