/* The drawing entries of a device that stands in front of another and
 * passes every call on, changed or not (the snap device, the soft-mask
 * device, the recorder of soft-masked runs). Each entry is set to the
 * function of its name in the file that makes the device (fill_path:
 * FillPath, and so on): one list, so that no device in the chain misses an
 * entry the others take and drops a call on its way to the draw device.
 * The device sets its own close and drop entries. */
#ifndef VDRW_PASSINGDEVICE_H
#define VDRW_PASSINGDEVICE_H

#define VDRW_SET_PASSING_ENTRIES(super)                                                                              \
    do {                                                                                                             \
        (super).fill_path = FillPath;                                                                                \
        (super).stroke_path = StrokePath;                                                                            \
        (super).clip_path = ClipPath;                                                                                \
        (super).clip_stroke_path = ClipStrokePath;                                                                   \
        (super).fill_text = FillText;                                                                                \
        (super).stroke_text = StrokeText;                                                                            \
        (super).clip_text = ClipText;                                                                                \
        (super).clip_stroke_text = ClipStrokeText;                                                                   \
        (super).ignore_text = IgnoreText;                                                                            \
        (super).fill_shade = FillShade;                                                                              \
        (super).fill_image = FillImage;                                                                              \
        (super).fill_image_mask = FillImageMask;                                                                     \
        (super).clip_image_mask = ClipImageMask;                                                                     \
        (super).pop_clip = PopClip;                                                                                  \
        (super).begin_mask = BeginMask;                                                                              \
        (super).end_mask = EndMask;                                                                                  \
        (super).begin_group = BeginGroup;                                                                            \
        (super).end_group = EndGroup;                                                                                \
        (super).begin_tile = BeginTile;                                                                              \
        (super).end_tile = EndTile;                                                                                  \
        (super).render_flags = RenderFlags;                                                                          \
        (super).set_default_colorspaces = SetDefaultColorspaces;                                                     \
        (super).begin_layer = BeginLayer;                                                                            \
        (super).end_layer = EndLayer;                                                                                \
    } while (0)

#endif
