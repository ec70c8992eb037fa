#include "menu/MenuBarModel.h"
#include "app/DelegateHarness.h"

#include <set>

namespace tallowmere::test {
namespace {

enum Position { guard = 6, durations = 7 };

class MenuModel : public DelegateTest {
protected:
    MenuEntry at(Position position) {
        runtime.runUntilIdle();
        return model.entries().at(position);
    }
    std::set<std::string> marked(Position submenu) {
        std::set<std::string> titles;
        for (const MenuEntry& entry : at(submenu).children)
            if (entry.checked)
                titles.insert(entry.title);
        return titles;
    }
    MenuBarModel model{delegate};
};

TEST_F(MenuModel, OffIsMarkedWhenATimedGuardEndsAndFourHoursRestartsAGuardOnForOne) {
    at(durations).children[2].action(); // "5 min"
    EXPECT_EQ(at(guard).title, "Turn Quenby Guard Off");
    runtime.advance(301s);
    EXPECT_EQ(marked(durations), std::set<std::string>{"Off"});
    EXPECT_EQ(at(guard).title, "Turn Quenby Guard On");

    at(durations).children[6].action(); // "1 hr", then "4 hr"
    at(durations).children[8].action();
    EXPECT_EQ(marked(durations), std::set<std::string>{"4 hr"});
    EXPECT_EQ(delegate->stayAwakeController().activeUntil(), runtime.wallNow() + std::chrono::seconds(14400));
}

} // namespace
} // namespace tallowmere::test
