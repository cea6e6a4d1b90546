#!/usr/bin/env bash
# Makes the pictures the tests decode, with programs other than Kestrava
# (Debian packages: imagemagick, libimage-exiftool-perl, inkscape, pstoedit, ghostscript,
# emf2svg, librsvg2-bin).
# The files are committed; run this only to make them again.
set -euo pipefail
cd "$(dirname "$0")"
IM=/usr/bin/convert

# A photo-like scene: a gradient with a disc and a bar.
$IM -size 160x120 gradient:'#3060c0-#f0d080' \
    -fill '#c02020' -draw 'circle 50,60 50,30' \
    -fill '#20a040' -draw 'rectangle 100,20 150,100' scene.png
$IM scene.png -quality 92 photo-baseline.jpg
$IM scene.png -quality 92 -interlace JPEG photo-progressive.jpg
$IM scene.png -quality 92 -colorspace CMYK photo-cmyk.jpg
$IM scene.png -quality 92 -colorspace Gray photo-grey.jpg
$IM scene.png -colorspace Gray scene-grey.png
$IM scene.png -resize 80x60 -type TrueColor BMP3:scene-24bit.bmp
$IM scene.png -resize 80x60 -colors 16 -type Palette BMP3:scene-palette.bmp
$IM scene.png -define icon:auto-resize=48,32,16 scene.ico

# Orientation: the same stored picture tagged with each EXIF orientation; the
# reference is ImageMagick's own upright version of each file.
$IM -size 48x32 xc:'#808080' \
    -fill '#ff0000' -draw 'rectangle 0,0 15,9' \
    -fill '#00ff00' -draw 'rectangle 32,0 47,9' \
    -fill '#0000ff' -draw 'rectangle 0,22 15,31' \
    -fill '#ffffff' -draw 'rectangle 32,22 47,31' orient.png
for n in 1 2 3 4 5 6 7 8; do
    $IM orient.png -quality 95 orient-$n.jpg
    exiftool -q -overwrite_original -n -Orientation=$n orient-$n.jpg
    $IM orient-$n.jpg -auto-orient orient-$n-upright.png
done
rm orient.png

# Metafiles from a drawing: Inkscape's EMF and WMF exports of drawing.svg, with
# Inkscape's PNG export as the reference; pstoedit's EMF of drawing.ps, with
# Ghostscript's rendering as the reference. The plain WMF is Inkscape's placeable
# WMF without its 22-byte placeable header.
inkscape drawing.svg --export-type=emf --export-filename=drawing-inkscape.emf
inkscape drawing.svg --export-type=wmf --export-filename=drawing-inkscape.wmf
inkscape drawing.svg --export-type=png --export-filename=drawing-inkscape.png
tail -c +23 drawing-inkscape.wmf > drawing-inkscape-plain.wmf
pstoedit -q -f emf drawing.ps drawing-pstoedit.emf
gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r72 -dEPSCrop -sOutputFile=drawing-ghostscript.png drawing.ps

# The reference renderings of the EMFs taken from elsewhere.
for emf in icon-mask-invert chart-mask-paint; do
    emf2svg-conv -i $emf.emf -o $emf.svg -w 400
    rsvg-convert -w 400 $emf.svg -o $emf-emf2svg.png
    rm $emf.svg
done
