// Form descriptions: the text a form designer stores for each component,
// and the palette on which a design environment offers component classes.
//
//   object mkTAPI: TmkTAPI
//     Privileges = 0
//     OnTapiError = mkTAPITapiError
//   end
//
// A property is written only when it has a setter and differs from its
// stored default; an event only when a method is bound to it.
#pragma once

#include <functional>
#include <vector>

#include "platform/classes.h"

AnsiString WriteComponentText(TComponent& component);

// Applies a description to an existing component. Event values name
// published methods of `methodRoot`. Unknown properties or methods, bad
// numbers and malformed lines raise Exception naming the line.
void ReadComponentText(TComponent& component, const AnsiString& text, const TComponent& methodRoot);

struct TComponentClass {
  AnsiString name;
  std::function<TComponent*(TComponent* owner)> create;
};

void RegisterComponents(const AnsiString& page, const std::vector<TComponentClass>& classes);
// (page, class name) pairs in registration order.
std::vector<std::pair<AnsiString, AnsiString>> RegisteredComponents();
