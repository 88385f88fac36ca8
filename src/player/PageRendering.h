#pragma once
// Drawing a page of a flyer into an image of the flyer area's size; the one place the page view
// asks for a page's picture.

#include <QImage>

namespace qrl {

class TFlyer;

QImage RenderPageImage(TFlyer& flyer, int index);

}  // namespace qrl
