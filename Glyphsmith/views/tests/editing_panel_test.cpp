#include "glyphsmith_views/editing_panel.hpp"

#include <gtest/gtest.h>

#include <QGroupBox>

#include "app_fixture.hpp"

namespace glyphsmith_views {
namespace {

TEST(InspectorPanel, HidesTheFaceSectionsWhileTheMainBodyIsRevolvedAndFollowsTheCurrentEditor) {
    glyphsmith_views_testing::AppFixture fixture;
    std::vector<const glyphsmith_state::DriverEditor*> builtFor;
    std::vector<InspectorSection> sections{
        {QStringLiteral("Toujours"),
         [&](auto&, auto& editor) {
             builtFor.push_back(&editor);
             return new QWidget;
         }},
        {QStringLiteral("Forme de la face"), [](auto&, auto&) { return new QWidget; },
         [](const glyphsmith_state::DriverEditor& editor) { return editor.model().hasExtrudedPrimaryBody(); }},
    };
    InspectorPanel panel(*fixture.app, sections);
    ASSERT_EQ(panel.sectionWidgets().size(), 2u);
    EXPECT_EQ(qobject_cast<QGroupBox*>(panel.sectionWidgets()[1])->title(), QStringLiteral("Forme de la face"));
    EXPECT_FALSE(panel.sectionWidgets()[1]->isHidden());

    fixture.store().freeEditor().applyTemplate(icon_geometry::ModelTemplate::bulb);
    EXPECT_TRUE(panel.sectionWidgets()[1]->isHidden());

    fixture.addProject("/p/maison", "Maison", {"prise"});
    fixture.store().openHomeyApp(QStringLiteral("/p/maison"));
    ASSERT_EQ(builtFor.size(), 2u);
    EXPECT_EQ(builtFor.back(), &fixture.store().currentEditor());
    EXPECT_FALSE(panel.sectionWidgets()[1]->isHidden());
}

}  // namespace
}  // namespace glyphsmith_views
