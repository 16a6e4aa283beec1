#pragma once

#include "client/tchat.h"

#include <array>

class QColor;
class QLabel;

// The look of a seat's name label, in its team's colour.
QString nameLabelStyle(const QColor &colour);

// The thirteen per-seat families of the board. Index 0 is the temporary slot
// of the rotation; after it, index n is the control of seat n.
struct Tchat::SeatFamilies
{
    template <typename T> using Family = std::array<T *, 5>;

    Family<BoardLabel> playername{};
    Family<QLabel> tricklabel{};
    Family<QLabel> tricks{};
    Family<QLabel> bidlabel{};
    Family<QLabel> bid{};
    Family<BoardPicture> cards{};
    Family<BoardPicture> played{};
    Family<BoardPicture> turn{};
    Family<BoardPicture> eyes{};
    Family<BoardPicture> nil{};
    Family<BoardPicture> blind{};
    Family<BoardPicture> winner{};
    Family<BoardPicture> trickwinner{};

    // Calls f(family name, family array) for each of the thirteen families.
    template <typename F> void forEach(F &&f)
    {
        f("label_playername", playername);
        f("label_tricklabel", tricklabel);
        f("label_tricks", tricks);
        f("label_bidlabel", bidlabel);
        f("label_bid", bid);
        f("image_cards", cards);
        f("image_played", played);
        f("image_turn", turn);
        f("image_eyes", eyes);
        f("image_nil", nil);
        f("image_blind", blind);
        f("image_winner", winner);
        f("image_trickwinner", trickwinner);
    }
};
