// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/HelpTexts.h"

namespace dialogs {

namespace {

const char* const Overview =
    "Penwright turns scanned drawings and maps into vector drawings.\n\n"
    "You bring a raster into the map window: open a Windows bitmap or a JPEG file, or scan "
    "a sheet. You clean it with the raster tools (eraser, fill box, pencil, raster lines "
    "and text pick-up), then convert its line work: \"Detect edge\" follows the outline of "
    "the object under the pixel you click and records it; the recorded objects can be "
    "thinned to centre lines, contracted or enlarged; \"V\" turns every recorded object into "
    "a simplified polyline on the current layer.\n\n"
    "You can also draw vectors by hand over the raster (lines, rectangles, polylines, "
    "circles and texts), pick them, move, rotate and scale them, edit them point by point, "
    "give them colours, line styles, fills and fonts, and organise them in named layers.\n\n"
    "The vectors are kept in Penwright's own drawing file (RTV). They can also be saved as "
    "a Windows metafile or a DXF file, copied to the clipboard, burnt into the raster and "
    "printed as a poster over several pages. The raster itself is saved as a bitmap or a "
    "JPEG file.";

const char* const Operation =
    "The buttons in the information bar at the bottom of the window work in every tool "
    "group.\n\n"
    "Zoom in and Zoom out: enlarge or reduce the view around its middle.\n"
    "Full view (Reset): show the whole map extent.\n"
    "Previous (Undo): go back to the view before the last zoom or pan. While a copy of the "
    "raster is kept for undoing a raster tool, the same button restores that copy instead.\n"
    "Undo of raster work: the raster tools keep one copy of the raster before you start; "
    "the undo button brings it back.\n"
    "Draw: the mouse draws with the tool chosen in the tool bar.\n"
    "Pan: drag the map with the mouse.\n"
    "Zoom box: drag a box round the part you want to see.\n"
    "Detect edge: click an object of the raster to record its outline.\n"
    "Select: brings up the vector group for picking and editing entities.\n"
    "Layers: opens the layers dialog, where you choose which entity lists are shown and "
    "edited.\n"
    "View: opens the display options (vertices, all entities, true colours).\n"
    "Track: opens the tracking window, which shows the vertex nearest to the resting "
    "mouse.\n\n"
    "The small button at the left of the tool bar drops down the list of tool groups; "
    "click a row to bring that group into the tool bar.";

const char* const File =
    "The file group holds five buttons.\n\n"
    "Open: choose a file type and a file. Bitmaps and JPEG files become the raster; a "
    "drawing file (RTV or DXF) is added to the drawing in memory, with every list selected; "
    "a metafile becomes a layer named after the file. A file is opened as what its content "
    "shows, whichever type was chosen. What a DXF file or metafile holds that a drawing "
    "cannot (hatches, images) is left out, and you are told how much.\n"
    "Save: choose a type and a name. The raster is saved as a 24-bit bitmap or a JPEG file "
    "(quality 90); the drawing saves the selected entity lists as RTV, as a metafile of the "
    "visible vectors, or as DXF (R12, with layer and line type tables, for CAD programs). "
    "A missing extension is added for you. Saving never "
    "destroys the old file: the new one replaces it only when it is complete.\n"
    "Scan: choose a scanner source and acquire an image; it becomes the raster.\n"
    "Print: prints the raster on one page, or the vectors as a poster over several pages. "
    "With no printer installed, the output goes to a PDF file.\n"
    "Resize (Set map size): the setup dialog sets the size of the map and the raster and "
    "scales the selected entities.";

const char* const Edit =
    "Undo: the undo button of the information bar brings back the raster as it was before "
    "the last raster tool, or else the previous view. In the convert group, Undo removes "
    "the last recorded outline.\n\n"
    "Copy to Clipboard: puts the vectors that are visible in the map window on the "
    "clipboard, as a metafile, as SVG and as a PNG picture, so other programs can paste "
    "them.\n\n"
    "Vector to Raster: burns the selected vectors into the raster for good. They become "
    "pixels and are saved with the raster; the vector entities stay as they are.\n\n"
    "Delete layers: in the layers dialog, select entity lists and press the delete button "
    "or the Delete key. Empty layers are binned when \"Bin empty layers\" is checked.\n\n"
    "Select: in the layers dialog, click an entity list to add it to the selection, click "
    "it again to take it out. Painting, picking, editing and saving work on the selection.\n"
    "Select all: the first button of the layers dialog selects every entity list.";

const char* const Raster =
    "Before converting, prepare the raster so that the objects you want are clean and "
    "separate. Every raster tool first keeps a copy of the raster, so the undo button can "
    "take its work back.\n\n"
    "Eraser: drag over the raster to paint it in the background colour with a square of "
    "the box size set in the option bar.\n"
    "Fill box: drag a box; it is filled with the background colour.\n"
    "Polyline: click the points of a line drawn into the raster in the pen colour and "
    "width; another button ends it.\n"
    "Pencil: draw freehand into the raster.\n"
    "Pick up text: drag a box over a text of the scan. The raster under the box is erased "
    "and a text entity with the text you type is placed there, along the direction of "
    "your drag.\n\n"
    "Shift and a left click takes the colour of the clicked pixel as the pen colour. The "
    "colour squares at the right of the tool bar show and set the pen, fill and text "
    "colours.";

const char* const Convert =
    "The convert group turns raster objects into vectors.\n\n"
    "Detect edge: with the convert group shown, click a pixel of an object. Its colour "
    "becomes the tracing colour, and the outline of the connected region of that colour "
    "(within the colour tolerance) is followed and recorded when it is at least 30 pixels "
    "long. Recorded outlines blink on the map. A right click removes the last one.\n"
    "Vectorization: shows the tolerance setting; \"V\" converts every recorded object into "
    "a simplified polyline on the current layer and clears the records. A larger tolerance "
    "gives fewer vertices.\n"
    "Thin: reduces every recorded object to its centre line, one pixel wide, which suits "
    "pen strokes and contour lines.\n"
    "Contract: moves every recorded outline one pixel inwards.\n"
    "Enlarge: moves every recorded outline one pixel outwards.\n"
    "Undo: removes the last recorded outline.\n\n"
    "After \"V\" the new polylines are selected in the layers dialog and drawn over the "
    "raster.";

const char* const Vector =
    "The draw group creates vector entities on the layer named in the option bar, in the "
    "current pen, fill and font.\n\n"
    "Text: drag along the direction the text should run and type it; the drag sets its "
    "angle.\n"
    "Line: drag from the start to the end.\n"
    "Polyline: click its vertices; it ends with a press of another button. With a solid "
    "fill it is closed.\n"
    "Rectangle: drag from one corner to the other.\n"
    "Circle: drag from the centre outwards.\n\n"
    "The vector group edits what is selected. Choose \"Selected\" to work on the entity "
    "nearest to the mouse, which is highlighted in dotted red, or \"Visible\" to work on "
    "all entities of the selected lists.\n"
    "Move: drag to move.\n"
    "Rotate: drag around the centre to turn.\n"
    "Scale: drag away from or towards the centre to grow or shrink.\n"
    "Points: shows the vertices; drag a vertex to move it, shift-click to insert one into a "
    "polyline, ctrl-click to delete one.\n"
    "Bring to front: picks an entity without changing it; ctrl and a left click deletes "
    "the picked entity.";

const char* const View =
    "Layers: the layers dialog shows the drawing's name, its layers and, under each layer, "
    "one entity list per kind of entity (points, texts, lines, circles, arcs, polylines).\n\n"
    "Click an entity list to select it; selected lists are drawn in their own colours and "
    "are what picking, editing and saving act on. Clicking the drawing's name or a layer "
    "selects nothing. The first button selects every list, the second deletes the "
    "selected lists, the third repaints the map and the fourth closes the dialog. With "
    "\"Bin empty layers\" checked, lists without entities and layers without lists are "
    "removed whenever the dialog is refreshed.\n\n"
    "The display options set how the vectors look: \"Draw vertices\" marks the vertices of "
    "the selected lists, \"Show all entities\" also draws the lists that are not selected, "
    "and \"Show true color map\" switches between the entities' own colours and one "
    "uniform look, whose pen, fill and colours you choose in the same dialog.\n\n"
    "The background button hides or shows the raster under the vectors.";

const char* const Management =
    "The management group gathers the tools that organise larger drawings.\n\n"
    "Layer management: layers are created when the first entity is drawn on a new layer "
    "name; the layers dialog selects and deletes their entity lists and bins empty ones.\n"
    "Entities management: the information window counts the entities in memory, per kind "
    "and in the selection.\n"
    "Data management: drawings are saved as RTV files, which keep every attribute, and can "
    "be exported as DXF for other drawing programs.\n"
    "Selection management: the selection is the set of entity lists chosen in the layers "
    "dialog; saving an RTV file writes the selection only.\n"
    "Set links: reserved for linking entities to outside data.\n\n"
    "The buttons of this group have no action of their own yet; use the dialogs named "
    "above.";

const char* const About =
    "Penwright\n\n"
    "A program for turning scanned raster drawings and maps into vector drawings, for "
    "Linux.\n\n"
    "Penwright is free software: you can redistribute it and modify it under the terms of "
    "the GNU General Public License, version 3 or later. It comes with no warranty.";

const std::array<HelpPage, 10> Pages = {{
    {"Overview", "2", "Overview", Overview},
    {"Operation", "3", "Operation", Operation},
    {"File", "4", "File", File},
    {"Edit", "5", "Edit", Edit},
    {"Raster", "6", "Raster", Raster},
    {"Convert", "8", "Convert", Convert},
    {"Vector", "9", "Vector", Vector},
    {"View", "10", "View", View},
    {"Management", "12", "Management", Management},
    {"About", "13", "About", About},
}};

} // namespace

const std::array<HelpPage, 10>& HelpPages() {
    return Pages;
}

} // namespace dialogs
