// The information text of the "Brio" page's tool tip: an HTML fragment with the credits.
#pragma once

namespace brio {

inline constexpr char kInformationText[] =
    "Brio — zabawa statusem.<br/>"
    "Opisy z listy, kradzione od znajomych albo z prędkościami eMule i Azureusa.<br/>"
    "Autorzy: zespół Brio, <a href=\"https://brio.norvane.net/\">https://brio.norvane.net/</a>";

} // namespace brio
