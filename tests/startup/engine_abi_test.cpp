// Layout of the engine interface declarations and the reference counting of the program's
// own engine objects.
#include <gtest/gtest.h>

#include <cstddef>

#include "engine/cef_capi.h"
#include "engine/engine_object.h"

namespace quillmoor {
namespace {

constexpr size_t kPointer = sizeof(void*);
constexpr size_t kString = sizeof(cef_string_t);

// Function tables are laid out by position: the offset of a member gives away a member
// left out or a member of the wrong size before it.
static_assert(offsetof(cef_base_ref_counted_t, has_at_least_one_ref) == 4 * kPointer);
static_assert(sizeof(cef_base_ref_counted_t) == 5 * kPointer);
static_assert(offsetof(cef_app_t, get_render_process_handler) ==
              sizeof(cef_base_ref_counted_t) + 4 * kPointer);
static_assert(sizeof(cef_app_t) == sizeof(cef_base_ref_counted_t) + 5 * kPointer);
static_assert(sizeof(cef_browser_process_handler_t) ==
              sizeof(cef_base_ref_counted_t) + 5 * kPointer);
static_assert(sizeof(cef_command_line_t) == sizeof(cef_base_ref_counted_t) + 20 * kPointer);
static_assert(sizeof(cef_client_t) == sizeof(cef_base_ref_counted_t) + 14 * kPointer);
static_assert(sizeof(cef_life_span_handler_t) == sizeof(cef_base_ref_counted_t) + 4 * kPointer);
static_assert(sizeof(cef_load_handler_t) == sizeof(cef_base_ref_counted_t) + 4 * kPointer);
static_assert(sizeof(cef_string_visitor_t) == sizeof(cef_base_ref_counted_t) + 1 * kPointer);
static_assert(sizeof(cef_browser_t) == sizeof(cef_base_ref_counted_t) + 20 * kPointer);
static_assert(offsetof(cef_browser_host_t, notify_move_or_resize_started) ==
              sizeof(cef_base_ref_counted_t) + 39 * kPointer);
static_assert(sizeof(cef_browser_host_t) == sizeof(cef_base_ref_counted_t) + 59 * kPointer);
static_assert(offsetof(cef_frame_t, get_source) == sizeof(cef_base_ref_counted_t) + 9 * kPointer);
static_assert(offsetof(cef_frame_t, execute_java_script) ==
              sizeof(cef_base_ref_counted_t) + 13 * kPointer);
static_assert(sizeof(cef_frame_t) == sizeof(cef_base_ref_counted_t) + 25 * kPointer);

static_assert(kString == 3 * kPointer);
static_assert(sizeof(char16) == 2);
static_assert(sizeof(cef_popup_features_t) == 12 * sizeof(int));
static_assert(sizeof(cef_state_t) == sizeof(int) && sizeof(cef_log_severity_t) == sizeof(int));
static_assert(LOGSEVERITY_DISABLE == 99 && WOD_NEW_POPUP == 5 && WOD_IGNORE_ACTION == 9);
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(cef_browser_settings_t) ==
              4 + 4 + 6 * kString + 16 + kString + 17 * 4 + 4 + kString);
static_assert(offsetof(cef_settings_t, log_severity) == 152);
static_assert(offsetof(cef_window_info_t, window) == 56);
#endif
#if !defined(_WIN32) && defined(__x86_64__)
static_assert(sizeof(cef_settings_t) == 432);
static_assert(offsetof(cef_settings_t, log_severity) == 280);
static_assert(sizeof(cef_window_info_t) == 72);
#endif

// A program-side engine object that counts its own destruction.
class CountedVisitor : public EngineObject<cef_string_visitor_t> {
  public:
    explicit CountedVisitor(int* destroyed) : destroyed_(destroyed) { Table().visit = &Visit; }
    ~CountedVisitor() override { ++*destroyed_; }

    int visits = 0;

  private:
    static void CEF_CALLBACK Visit(cef_string_visitor_t* self, const cef_string_t*) {
        ++Self<CountedVisitor>(self)->visits;
    }

    int* destroyed_;
};

TEST(EngineObjectTest, FillsTheBaseAndFindsItselfFromTheStruct) {
    int destroyed = 0;
    auto visitor = EngineObjectPtr<CountedVisitor>::Make(&destroyed);
    cef_string_visitor_t* table = visitor->NewReference();

    EXPECT_EQ(table->base.size, sizeof(cef_string_visitor_t));
    table->visit(table, nullptr);
    table->visit(table, nullptr);
    EXPECT_EQ(visitor->visits, 2);

    EXPECT_EQ(table->base.release(&table->base), 0);
    EXPECT_EQ(destroyed, 0);
}

TEST(EngineObjectTest, EngineReferencesKeepTheObjectAliveAfterTheProgramLetsGo) {
    int destroyed = 0;
    cef_string_visitor_t* table = nullptr;
    {
        auto visitor = EngineObjectPtr<CountedVisitor>::Make(&destroyed);
        EXPECT_EQ(visitor->ReferenceCount(), 1);
        table = visitor->NewReference();
        table->base.add_ref(&table->base);
        EXPECT_EQ(visitor->ReferenceCount(), 3);
        EXPECT_EQ(table->base.has_one_ref(&table->base), 0);
    }
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(table->base.release(&table->base), 0);
    EXPECT_EQ(table->base.has_one_ref(&table->base), 1);
    EXPECT_EQ(table->base.has_at_least_one_ref(&table->base), 1);
    EXPECT_EQ(table->base.release(&table->base), 1);
    EXPECT_EQ(destroyed, 1);
}

TEST(EngineObjectTest, CopiedAndMovedPointersShareOneObject) {
    int destroyed = 0;
    {
        auto first = EngineObjectPtr<CountedVisitor>::Make(&destroyed);
        EngineObjectPtr<CountedVisitor> copy = first;
        EXPECT_EQ(first->ReferenceCount(), 2);
        EngineObjectPtr<CountedVisitor> moved = std::move(first);
        EXPECT_FALSE(first);
        EXPECT_EQ(copy.get(), moved.get());
        EXPECT_EQ(moved->ReferenceCount(), 2);
        copy = EngineObjectPtr<CountedVisitor>();
        EXPECT_EQ(moved->ReferenceCount(), 1);
    }
    EXPECT_EQ(destroyed, 1);
}

}  // namespace
}  // namespace quillmoor
