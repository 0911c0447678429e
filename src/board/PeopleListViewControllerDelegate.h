#pragma once

#include "foundation/Object.h"

#include <string>

namespace ui {
class Image;
}
class PeopleListViewController;

// How the people list hands a picked contact's framed photo and number to whoever opened it.
class PeopleListViewControllerDelegate
{
public:
    virtual ~PeopleListViewControllerDelegate() = default;
    virtual void peopleListViewController(PeopleListViewController* controller,
                                          const ns::Ref<ui::Image>& photo, int selectedIndex,
                                          const std::string& name, const std::string& phone,
                                          const std::string& reference) = 0;
};
