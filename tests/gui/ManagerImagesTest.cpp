// Files that reach the window as card images, through the device box's "Open card image..." or a
// drop: what is listed, what is asked first, what is refused, and that the user's file is never
// touched on the way.
#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "gui/ManagerWindowFixture.h"
#include "gui/QtTestMain.h"

class ManagerImagesTest : public QObject {
    Q_OBJECT
private slots:
    void EachKindOfFileIsListedAskedAboutOrRefused();
    void AFileThatTakesAListedImagesNameIsJudgedAfresh();
};

namespace {

using Origin = CManagerDialog::ImageOrigin;

std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::string MakeFile(const CWindowWorld& world, const std::string& name, const std::string& bytes) {
    const std::string path = world.File(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// Chooses the device box's last entry from the keyboard; the Open dialog answers with path.
void OpenFromTheBox(CManagerDialog& window, const std::string& path) {
    bool asked = false;
    window.SetFileChooser([&](const QString&, const QString&) {
        asked = true;
        return QString::fromStdString(path);
    });
    window.DeviceBox()->setFocus();
    QTest::keyClick(window.DeviceBox(), Qt::Key_End);
    QTRY_VERIFY(asked);
}

}  // namespace

void ManagerImagesTest::EachKindOfFileIsListedAskedAboutOrRefused() {
    CWindowWorld world;
    const std::string routine = world.MakeRoutine("song.velk", 4);
    const std::string velk = world.MakeCard("velk.img", {Track("A", 8, 0, 0)});
    const std::string zeros = MakeFile(world, "zeros.img", std::string(16 * 512, '\0'));
    const std::string foreign = MakeFile(world, "letter.bin", "%PDF-1.4" + std::string(2040, 'x'));
    const std::string odd = MakeFile(world, "song.mp3", "ID3" + std::string(997, 'y'));
    struct Case {
        std::string file;
        Origin origin;
        std::deque<QMessageBox::StandardButton> answers;
        const char* says;  // what the one box shows; none: no box
        bool listed;
    };
    const Case cases[] = {
        {routine, Origin::Dropped, {QMessageBox::Yes}, "DELETE ALL DATA", false},  // Add routine's question
        {routine, Origin::Chosen, {}, "is a routine file, not a card image", false},
        {velk, Origin::Dropped, {}, nullptr, true},
        {velk, Origin::Chosen, {}, nullptr, true},
        {zeros, Origin::Dropped, {}, nullptr, true},
        {zeros, Origin::Chosen, {}, nullptr, true},
        {foreign, Origin::Dropped, {QMessageBox::No}, "will overwrite it", false},
        {foreign, Origin::Chosen, {QMessageBox::Yes}, "will overwrite it", true},
        {odd, Origin::Dropped, {}, "\"velk3 image\" makes an empty card image", false},
        {odd, Origin::Chosen, {}, "\"velk3 image\" makes an empty card image", false},
        {"", Origin::Chosen, {}, nullptr, false},  // the Open dialog cancelled
    };
    int row = 0;
    for (const Case& c : cases) {
        const std::string label = c.file + (c.origin == Origin::Dropped ? " dropped" : " chosen");
        const std::string current = world.MakeCard("current" + std::to_string(++row) + ".img", {}, false);
        const auto window = world.Window({current});
        const std::string before = Contents(c.file);
        world.boxes.seen.clear();
        world.boxes.answers = c.answers;
        if (c.origin == Origin::Dropped)
            QVERIFY(CWindowWorld::Drop(*window, c.file));
        else
            OpenFromTheBox(*window, c.file);
        world.Settle(*window);

        QVERIFY2(world.boxes.seen.size() == (c.says ? 1u : 0u), label.c_str());
        const bool added = c.file == routine && c.origin == Origin::Dropped;
        if (c.says) {
            const std::string& text = world.boxes.seen[0].text;
            QVERIFY2(text.find(c.says) != std::string::npos, (label + ": " + text).c_str());
            QVERIFY2(added || text.find(c.file) != std::string::npos, label.c_str());  // names the file
        }
        if (c.file == foreign) QCOMPARE(world.boxes.seen[0].defaultButton, QMessageBox::No);
        QVERIFY2(window->CurrentDevice().name == (c.listed ? c.file : current), label.c_str());
        QVERIFY2(Contents(c.file) == before, label.c_str());
        QVERIFY2(CWindowWorld::ReadCard(current).value_or(std::vector<TrackEntry>{}).size() == (added ? 1u : 0u),
                 label.c_str());
    }

    // A routine dropped where there is no card is not silently dropped.
    const auto empty = world.Window();
    world.boxes.seen.clear();
    QVERIFY(CWindowWorld::Drop(*empty, routine));
    world.Settle(*empty);
    QCOMPARE(world.boxes.seen.size(), size_t(1));
    QVERIFY(world.boxes.seen[0].text.find("There is no card to add \"" + routine) == 0);
}

// A listed image stays listed as the file that was judged. Another file put at its name (someone's
// document, a link) is judged afresh when the list is refreshed: only a card is listed, and a link
// is never followed.
void ManagerImagesTest::AFileThatTakesAListedImagesNameIsJudgedAfresh() {
    CWindowWorld world;
    const std::string otherCard = world.MakeCard("other.img", {Track("B", 8, 0, 0)});
    const auto moveInPlace = [&](const std::string& from, const std::string& to) {
        QVERIFY(std::rename(from.c_str(), to.c_str()) == 0);
    };
    struct Case {
        const char* what;
        std::function<void(const std::string& path)> replace;
        bool listed;
    };
    const Case cases[] = {
        {"a document", [&](const std::string& path) { moveInPlace(MakeFile(world, "doc.tmp", "%PDF" + std::string(4092, 'd')), path); },
         false},
        {"a document made where it was deleted",
         [&](const std::string& path) {
             std::filesystem::remove(path);
             std::ofstream(path, std::ios::binary) << "%PDF" + std::string(4092, 'd');
         },
         false},
        {"a link to a card",
         [&](const std::string& path) {
             std::filesystem::remove(path);
             std::filesystem::create_symlink(otherCard, path);
         },
         false},
        {"another card", [&](const std::string& path) { moveInPlace(world.MakeCard("new.tmp", {Track("C", 8, 0, 0)}), path); },
         true},
    };
    int row = 0;
    for (const Case& c : cases) {
        const std::string image = world.MakeCard("listed" + std::to_string(++row) + ".img", {Track("A", 8, 0, 0)});
        const auto window = world.Window();
        OpenFromTheBox(*window, image);
        world.Settle(*window);
        QVERIFY2(window->CurrentDevice().name == image, c.what);
        c.replace(image);
        const std::string replaced = Contents(image);
        window->RefreshButton()->click();
        world.Settle(*window);
        QVERIFY2((window->DeviceCount() == 1) == c.listed, c.what);
        QVERIFY2(world.boxes.seen.empty(), c.what);
        QVERIFY2(Contents(image) == replaced, c.what);
    }
}

VELK3_QT_TEST(ManagerImagesTest)
#include "ManagerImagesTest.moc"
