// SPDX-License-Identifier: GPL-3.0-or-later
#include "datatable.h"
#include "formfixture.h"
#include "imagecheck.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

// The "Close" button: its hidden commands "?", "!" and "col", and the save
// prompt with its three answers.

using namespace formtest;
using namespace testfiles;

namespace {

const QStringList allEmpty(fieldNames.size(), QString());

void pressClose(Form1 &form)
{
    click(form.Frame1->Command2);
}

} // namespace

class TestFormClose : public QObject {
    Q_OBJECT

private slots:
    void helpOpensReadme()
    {
        FormFixture fixture;
        Form1 &form = *fixture;
        for (const QString &name : fieldNames)
            field(form, name)->setText("7");
        field(form, "Text1")->setText("?");

        pressClose(form);

        QStringList expected(fieldNames.size(), QStringLiteral("7"));
        expected[0].clear();
        QCOMPARE(fieldTexts(form), expected);
        QCOMPARE(fixture.dialogs.calls(), QStringList{"openTextFile"});
        QCOMPARE(fixture.dialogs.openedFiles().size(), 1);
        QVERIFY2(fixture.dialogs.openedFiles().first().endsWith("/readme.txt"),
                 qPrintable(fixture.dialogs.openedFiles().first()));
        QVERIFY(!form.programEnded());
        QVERIFY(form.isVisible());
        QVERIFY(!QFile::exists(fixture.settingsPath));
    }

    void otherTextsPrompt_data()
    {
        oneColumnTable<QString>("command", {{"blank before ?", " ?"},
                                            {"COL", "COL"},
                                            {"Col", "Col"},
                                            {"! with blank", "! "},
                                            {"empty", ""},
                                            {"number", "120"}});
    }
    void otherTextsPrompt()
    {
        QFETCH(QString, command);
        FormFixture fixture;
        Form1 &form = *fixture;
        setTexts(form, {{"Text1", command}, {"Text2", "2"}});
        fixture.dialogs.queueMessage(Dialogs::Answer::Cancel);

        pressClose(form);

        QCOMPARE(fixture.dialogs.calls(), QStringList{"message"});
        const auto &prompt = fixture.dialogs.messages().first();
        QCOMPARE(prompt.text, QStringLiteral("Do you wish to save settings?"));
        QCOMPARE(prompt.caption, QStringLiteral("Save Volutra settings"));
        QCOMPARE(prompt.buttons, Dialogs::Buttons::YesNoCancel);
        QCOMPARE(fieldTexts(form).mid(0, 2), (QStringList{command, "2"}));
        QCOMPARE(form.state().prefs.turns, 1.0f);
        QVERIFY(!form.programEnded());
    }

    void bangSetsSettings_data()
    {
        QTest::addColumn<QString>("fieldName");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("value");
        QTest::addColumn<double>("expected");
        const auto row = [](const char *tag, const char *name, const char *text, const char *value,
                            double expected) {
            QTest::newRow(tag) << QString(name) << QString(text) << QString(value) << expected;
        };
        row("Text4 17 refused", "Text4", "17", "drawMode", 13);
        row("Text4 16", "Text4", "16", "drawMode", 16);
        row("Text4 0 refused", "Text4", "0", "drawMode", 13);
        row("Text4 6.5 to even", "Text4", "6.5", "drawMode", 6);
        row("Text3 32767 refused", "Text3", "32767", "drawWidth", 1);
        row("Text3 5", "Text3", "5", "drawWidth", 5);
        row("Text3 -2 refused", "Text3", "-2", "drawWidth", 1);
        row("Text8 -3", "Text8", "-3", "drawStyle", 3);
        row("Text8 7 refused", "Text8", "7", "drawStyle", 0);
        row("Text8 2", "Text8", "2", "drawStyle", 2);
        row("Text13 -500", "Text13", "-500", "mouseDelay", 500);
        row("Text13 0", "Text13", "0", "mouseDelay", 0);
        row("Text2 2.5", "Text2", "2.5", "turns", 2.5);
        row("Text2 0 refused", "Text2", "0", "turns", 1);
        row("Text2 letters refused", "Text2", "abc", "turns", 1);
        row("Text5 50", "Text5", "50", "stepSize", 50);
        row("Text5 -50 refused", "Text5", "-50", "stepSize", 100);
        row("Text14 -1500", "Text14", "-1500", "autoRunDelay", 1500);
        row("Text14 2.5", "Text14", "2.5", "autoRunDelay", 2);
        row("Text7 1", "Text7", "1", "randomColors", 1);
        row("Text7 3.5", "Text7", "3.5", "randomColors", 4);
        row("Text9 -20", "Text9", "-20", "drawLeftOffset", -20);
        row("Text9 empty skipped", "Text9", "", "drawLeftOffset", 50);
        row("Text10 300", "Text10", "300", "drawTopOffset", 300);
        row("Text10 letters read 0", "Text10", "x", "drawTopOffset", 0);
        row("Text6 400", "Text6", "400", "frameRightOffset", 400);
        row("Text6 -250", "Text6", "-250", "frameRightOffset", -250);
    }
    void bangSetsSettings()
    {
        QFETCH(QString, fieldName);
        QFETCH(QString, text);
        QFETCH(QString, value);
        QFETCH(double, expected);
        FormFixture fixture;
        Form1 &form = *fixture;
        setTexts(form, {{"Text1", "!"}, {fieldName, text}});

        pressClose(form);

        VERIFY_READINGS(form, {{value, expected}});
        QCOMPARE(fieldTexts(form), allEmpty);
        QCOMPARE(fixture.dialogs.calls(), QStringList());
        QVERIFY(!form.programEnded());
        QVERIFY(!QFile::exists(fixture.settingsPath));
    }

    void bangMovesPanelAndIsSaved()
    {
        FormFixture fixture;
        Form1 &form = *fixture;
        const int usual = form.Frame1->x();
        QCOMPARE(usual, panelColumn(form));
        setTexts(form, {{"Text1", "!"}, {"Text6", "400"}});

        pressClose(form);

        QCOMPARE(form.state().frameRightOffset, std::int16_t(400));
        QCOMPARE(form.Frame1->x(), panelColumn(form, 400));
        QVERIFY(std::abs(usual - form.Frame1->x() - 400 / form.surface().twipsPerPixel()) < 1);
        QCOMPARE(fieldTexts(form), allEmpty);

        // It stays there when the window is resized.
        form.resize(form.width() + 40, form.height());
        QTRY_COMPARE(form.Frame1->x(), panelColumn(form, 400));

        fixture.dialogs.queueMessage(Dialogs::Answer::Yes);
        pressClose(form);
        QVERIFY(form.programEnded());
        const QList<QByteArray> lines = fileLines(readBytes(fixture.settingsPath));
        QCOMPARE(lines.size(), 26);
        QCOMPARE(lines[19], QByteArray("400 ' frame offset from right side of the program window"));
    }

    void colRebuildsColours_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<int>("foreground");
        QTest::addColumn<int>("background");

        QTest::newRow("defaults") << QByteArray() << 16776960 << 0;
        // changed.txt stores the pen 18, 52, 86 and the background 200, 100, 0.
        QTest::newRow("stored components")
            << testData("settings/changed.txt") << colors::rgb(0, 52, 86) << colors::rgb(200, 100, 0);
    }
    void colRebuildsColours()
    {
        QFETCH(QByteArray, settings);
        QFETCH(int, foreground);
        QFETCH(int, background);
        FormFixture fixture{FormFixture::NotStarted()};
        if (!settings.isEmpty())
            QVERIFY(writeBytes(fixture.settingsPath, settings));
        Form1 &form = fixture.start();

        // Colours picked since start-up do not survive "col".
        fixture.dialogs.queueColor(colors::rgb(10, 20, 30));
        click(form.Frame1->Command7);
        fixture.dialogs.queueColor(colors::rgb(0, 255, 0));
        click(form.Frame1->Command6);
        QCOMPARE(form.state().foregroundColor, colors::rgb(10, 20, 30));
        VERIFY_FILLED(shown(form), Qt::green);

        setTexts(form, {{"Text1", "col"}, {"Text2", "0"}});
        pressClose(form);

        VERIFY_READINGS(
            form,
            {{"foregroundColor", foreground}, {"backgroundColor", background}, {"backColor", background}});
        VERIFY_FILLED(shown(form), QColor::fromRgb(colors::toPixel(background)));
        QCOMPARE(fieldTexts(form), allEmpty);
        QVERIFY(!form.programEnded());
        QCOMPARE(fixture.dialogs.calls(), (QStringList{"chooseColor", "chooseColor"}));
    }

    void colTakesAllComponents()
    {
        FormFixture fixture;
        Form1 &form = *fixture;
        setTexts(form, {{"Text1", "col"},
                        {"Text2", "1"},
                        {"Text5", "2"},
                        {"Text6", "300"},
                        {"Text3", "1"},
                        {"Text4", "4"},
                        {"Text13", "5.5"},
                        {"Text14", "6"},
                        {"Text7", "9"},
                        {"Text8", "9"}});

        pressClose(form);

        // A component above 255 counts as 255; 5.5 rounds to the even 6.
        VERIFY_READINGS(form, {{"foregroundColor", colors::rgb(1, 2, 255)},
                               {"backgroundColor", colors::rgb(4, 6, 6)},
                               {"randomColors", 1},
                               {"drawStyle", 0}});
        VERIFY_FILLED(shown(form), QColor(4, 6, 6));
        QCOMPARE(fieldTexts(form), allEmpty);
        QCOMPARE(fixture.dialogs.calls(), QStringList());
        QVERIFY(!QFile::exists(fixture.settingsPath));
    }

    void cancelLeavesEverything()
    {
        const QByteArray original = testData("settings/changed.txt");
        FormFixture fixture(original);
        Form1 &form = *fixture;
        setTexts(form, {{"Text1", "bye"}, {"Text5", "3"}});
        const QStringList texts = fieldTexts(form);
        const QPoint panel = form.Frame1->pos();
        fixture.dialogs.queueMessage(Dialogs::Answer::Cancel);

        pressClose(form);

        QCOMPARE(fieldTexts(form), texts);
        QCOMPARE(form.Frame1->pos(), panel);
        QVERIFY(!form.programEnded());
        QVERIFY(form.isVisible());
        QCOMPARE(readBytes(fixture.settingsPath), original);
        QCOMPARE(fixture.dialogs.calls(), QStringList{"message"});

        // The window goes on working: the next press asks again.
        fixture.dialogs.queueMessage(Dialogs::Answer::No);
        pressClose(form);
        QVERIFY(form.programEnded());
    }

    void noEndsWithoutWriting_data()
    {
        oneColumnTable<bool>("fileExists", {{"file present", true}, {"no file", false}});
    }
    void noEndsWithoutWriting()
    {
        QFETCH(bool, fileExists);
        const QByteArray original = testData("settings/changed.txt");
        FormFixture fixture{FormFixture::NotStarted()};
        if (fileExists)
            QVERIFY(writeBytes(fixture.settingsPath, original));
        Form1 &form = fixture.start();
        QSignalSpy ending(&form, &Form1::programEnding);
        // A changed setting is not written either.
        setTexts(form, {{"Text1", "!"}, {"Text2", "4"}});
        pressClose(form);
        QCOMPARE(form.state().prefs.turns, 4.0f);

        fixture.dialogs.queueMessage(Dialogs::Answer::No);
        pressClose(form);

        QVERIFY(form.programEnded());
        QCOMPARE(ending.count(), 1);
        QVERIFY(!form.isVisible());
        QCOMPARE(readBytes(fixture.settingsPath), fileExists ? original : QByteArray());
        // Nor is a new file begun beside it.
        QCOMPARE(QDir(fixture.dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 fileExists ? QStringList{"voludef.txt"} : QStringList());
    }

    void yesWritesAndEnds()
    {
        const QByteArray golden = testData("settings/changed.txt");
        FormFixture fixture(golden);
        Form1 &form = *fixture;
        setTexts(form, {{"Text1", "!"}, {"Text2", "3"}, {"Text8", "2"}});
        pressClose(form);

        fixture.dialogs.queueMessage(Dialogs::Answer::Yes);
        pressClose(form);

        QVERIFY(form.programEnded());
        const QByteArray written = readBytes(fixture.settingsPath);
        QCOMPARE(written.count("\r\n"), 26);
        // Only the turns changed; the line style is no setting. Lines 16 to
        // 19 hold this machine's window geometry.
        QList<QByteArray> lines = fileLines(written);
        QList<QByteArray> expected = fileLines(golden);
        QCOMPARE(lines.size(), 26);
        expected[12] = "3 ' numbers of turns (default: 1)";
        for (int i = 15; i <= 18; ++i)
            lines[i] = expected[i];
        QCOMPARE(lines, expected);
        QCOMPARE(fixture.dialogs.calls(), QStringList{"message"});
    }

    void yesWithUnwritablePath_data()
    {
        QTest::addColumn<bool>("folderAtPath");
        QTest::addColumn<int>("error");
        QTest::newRow("missing folder") << false << failures::PathNotFound;
        QTest::newRow("folder at the path") << true << failures::AccessError;
    }
    void yesWithUnwritablePath()
    {
        QFETCH(bool, folderAtPath);
        QFETCH(int, error);
        FormFixture fixture{FormFixture::NotStarted()};
        const QString path =
            folderAtPath ? fixture.settingsPath : fixture.dir.filePath("missing/voludef.txt");
        const QString kept = path + "/kept.txt";
        if (folderAtPath) {
            QVERIFY(QDir().mkpath(path));
            QVERIFY(writeBytes(kept, "old"));
        }
        Form1 &form = fixture.start(path);
        field(form, "Text1")->setText("quit");
        fixture.dialogs.queueMessage(Dialogs::Answer::Yes);
        fixture.dialogs.queueMessage(Dialogs::Answer::Ok);

        pressClose(form);

        VERIFY_ASKED(fixture.dialogs, "Could not save settings: \r\n" + failures::describe(error),
                     {"message"});
        QVERIFY(!form.programEnded());
        QVERIFY(form.isVisible());
        if (folderAtPath) {
            QVERIFY(QFileInfo(path).isDir());
            QCOMPARE(readBytes(kept), QByteArray("old"));
            QCOMPARE(QDir(path).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"kept.txt"});
        } else {
            QVERIFY(!QFileInfo::exists(fixture.dir.filePath("missing")));
        }
        QVERIFY(fixture.dialogs.exhausted());
    }
};

QTEST_MAIN(TestFormClose)
#include "test_form_close.moc"
