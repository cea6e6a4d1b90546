#pragma once
// Anchors: each child widget of a form with a dynamic property "anchors" (any of
// "left,top,right,bottom"; default "left,top") keeps its distance to those edges of
// its parent as the parent is resized, as laid out at design size.

class QWidget;

// Records the design geometry of every anchored widget below `form` and follows
// resizes from then on. Call once, right after the form is set up.
void applyAnchors(QWidget *form);
