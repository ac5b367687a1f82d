// The librarian panel itself: how it is built, laid out, painted and taken down.

#include "librarian/PresetLibrarianManager.h"

#include "device/PresetManager.h"
#include "librarian/FolderChooser.h"
#include "librarian/JobProgressWindow.h"
#include "librarian/ModalPause.h"
#include "librarian/PresetComparisonWindow.h"
#include "librarian/PresetLocal.h"
#include "librarian/PresetTonarel.h"
#include "resources/Artwork.h"

namespace
{
    constexpr auto panelName = "Tonarel Librarian";
    constexpr auto inconsistentVersionText = "Inconsistent Version Number!";

    const juce::Colour labelBackground { 0xffffffff };
    const juce::Colour connectedText { 0xff000000 };
    const juce::Colour disconnectedText { 0xffff0000 };
    constexpr float deviceLabelFontHeight = 16.0f;

    constexpr int captionY = 75, captionHeight = 44, captionWidth = 288, capWidth = 7;

    // The labels share the band above the captions, level with "Help": the device's state
    // right of the logo the background carries, the last job's outcome after it, up to "Help".
    constexpr int labelY = 22, labelHeight = 26;
    constexpr int deviceLabelX = 262, deviceLabelWidth = 200, labelGap = 10;
}

PresetLibrarianManager::PresetLibrarianManager (AppServices& appServices)
    : services (appServices), configuration (appServices.documentsFolder, appServices.edition),
      settings (configuration.getSettingsFile())
{
    monitor = createConnectionMonitor();
    const auto detected = monitor->findDevicePorts();

    // The device link opens the ports as it is made: the rest of the panel is built while the
    // device settles after that.
    controller = std::make_unique<TransferController> (services.midiPorts, services.timings,
                                                       configuration.getTransferLogFile());

    // The question outlives neither the dialogs nor the program, but may outlive the panel.
    controller->setQuestionAsker ([&dialogs = services.dialogs] (const TransferQuestion& question)
                                  { return dialogs.ask (question); });

    headerConnectedImage = Artwork::decodeScaled (Artwork::Picture::headerConnected);
    headerDisconnectedImage = Artwork::decodeScaled (Artwork::Picture::headerDisconnected);
    headerRightImage = Artwork::decodeScaled (Artwork::Picture::headerRight);
    headerFillImage = Artwork::decodeScaled (Artwork::Picture::headerFill);
    headerCapImage = Artwork::decodeScaled (Artwork::Picture::headerCap);

    setName (panelName);

    deviceList = std::make_unique<PresetTonarel> (deviceSlots, services.dialogs);
    addAndMakeVisible (*deviceList);
    localList = std::make_unique<PresetLocal> (presetFiles, services.dialogs);
    addAndMakeVisible (*localList);
    connectLists();

    saveButton = createButton ("Save >", "click here to save selected presets", false);
    saveAllButton = createButton ("Save All >>", "click here to save all presets", false);
    loadButton = createButton ("< Load To", "click here to load seletect presets", false);
    loadAllButton = createButton ("<< Load All", "click here to load all presets", false);
    helpButton = createButton ("Help", {}, true);
    refreshButton =
        createButton ("Refresh", "click here to refresh preset list in Tonarel and in your computer", true);

    const auto presetFolder = configuration.settlePresetFolder();

    folderChooser = std::make_unique<FolderChooser> ("browse", juce::File(), false, true, false,
                                                     juce::String ("*") + kPresetFileExtension,
                                                     juce::String(), "click to set preset folder");
    addAndMakeVisible (*folderChooser);
    folderChooser->addListener (this);
    folderChooser->setBrowseButtonText ("Browse");
    // It overlaps the top of the computer list and must stay in front of it.
    folderChooser->setAlwaysOnTop (true);
    // Given after construction so that the chooser announces it: that first, asynchronous
    // notification is what fills the computer list.
    folderChooser->setCurrentFile (presetFolder, true, juce::sendNotificationAsync);

    createStatusDisplays();

    if (detected)
        monitor->confirmDeviceReachable();

    numbers.clear();
    deviceVersion = 0;

    showDeviceConnected (isConnected());

    if (isConnected())
    {
        // The device takes a moment after its ports open before it answers a read; building
        // the panel took part of it already.
        const auto settledMs = (int) getPresetManager().getMsSincePortsOpened();
        ModalPause::run (juce::jmax (0, services.timings.pauseBeforeFirstReadMs - settledMs));
        refresh (true);
    }

    monitor->startWatching();

    lastResult = 0;
    addKeyListener (this);
    setUpKeyboard();

    // No job runs now: the progress bar rests until one does.
    setJobWindowsActive (false);
}

PresetLibrarianManager::~PresetLibrarianManager()
{
    monitor.reset();
    comparisonWindow.reset();

    // A running job is asked to end and waited for, never cut off, as the controller goes.
    removeKeyListener (this);
    controller.reset();
    progressBar.reset();

    headerConnectedImage = {};
    headerDisconnectedImage = {};
    headerRightImage = {};
    headerFillImage = {};
    headerCapImage = {};

    deviceList.reset();
    localList.reset();
    saveButton.reset();
    saveAllButton.reset();
    loadButton.reset();
    loadAllButton.reset();
    helpButton.reset();
    refreshButton.reset();
    folderChooser.reset();
    statusLabel.reset();
    deviceLabel.reset();

    devicePresets.clear();
    numbers.clear();
}

std::unique_ptr<ConnectionMonitor> PresetLibrarianManager::createConnectionMonitor()
{
    ConnectionMonitor::Needs needs { services.midiPorts,
                                     services.dialogs,
                                     services.timings,
                                     [this] {
                                         return controller != nullptr ? &controller->getPresetManager()
                                                                      : nullptr;
                                     },
                                     [this] { return controller != nullptr && controller->isRunning(); },
                                     services.quitApplication };

    ConnectionMonitor::Callbacks callbacks;
    callbacks.showDeviceState = [this] { showVersionTexts(); };

    callbacks.deviceLost = [this]
    {
        showDeviceConnected (false);
        refresh (false);
        updateButtonStates();
        repaint();
    };

    // The bars of a job rest at nothing done while there is no device to work with.
    callbacks.lookingForDevice = [this]
    {
        setJobProgress (0.0);
        showJobProgress();
    };

    callbacks.deviceBack = [this]
    {
        showDeviceConnected (true);
        refresh (true);
        updateButtonStates();
        showVersionTexts();
        repaint();
    };

    return std::make_unique<ConnectionMonitor> (std::move (needs), std::move (callbacks));
}

void PresetLibrarianManager::createStatusDisplays()
{
    progressBar = std::make_unique<juce::ProgressBar> (progress);
    addAndMakeVisible (*progressBar);
    progressBar->setPercentageDisplay (false);

    statusLabel = std::make_unique<juce::Label> ("Label", juce::String());
    addAndMakeVisible (*statusLabel);
    deviceLabel = std::make_unique<juce::Label> ("Label", juce::String());
    addAndMakeVisible (*deviceLabel);
    deviceLabel->setColour (juce::Label::backgroundColourId, labelBackground);
    deviceLabel->setFont (juce::Font (deviceLabelFontHeight, juce::Font::plain));
}

std::unique_ptr<juce::TextButton>
PresetLibrarianManager::createButton (const juce::String& text, const juce::String& tooltip, bool enabled)
{
    auto button = std::make_unique<juce::TextButton> (text, tooltip);
    addAndMakeVisible (*button);
    button->addListener (this);
    button->setEnabled (enabled);
    return button;
}

void PresetLibrarianManager::resized()
{
    const auto w = getWidth(), h = getHeight();
    const auto half = w / 2;
    const auto r = half + 34;

    deviceList->setBounds (10, 140, half - 86, h - 150);
    saveAllButton->setBounds (half - 70, 192, 100, 30);
    saveButton->setBounds (half - 70, 238, 100, 30);
    loadButton->setBounds (half - 70, 283, 100, 30);
    loadAllButton->setBounds (half - 70, 330, 100, 30);
    helpButton->setBounds (w - 116, 20, 100, 30);
    refreshButton->setBounds (half - 70, h - 100, 100, 30);
    localList->setBounds (r, 140, w - r - 10, h - 150);
    folderChooser->setBounds (half + 42, 122, w - r - 26, 23);

    deviceLabel->setBounds (deviceLabelX, labelY, deviceLabelWidth, labelHeight);
    const auto statusX = deviceLabel->getRight() + labelGap;
    statusLabel->setBounds (statusX, labelY, juce::jmax (0, helpButton->getX() - labelGap - statusX),
                            labelHeight);
}

void PresetLibrarianManager::paint (juce::Graphics& g)
{
    // Only paints: the monitor finds a lost device, and the labels are set where what they show
    // changes.
    paintCaptions (g);
}

void PresetLibrarianManager::paintCaptions (juce::Graphics& g)
{
    const auto w = getWidth();
    const auto half = w / 2;
    const auto rx = half + 39;
    const auto rw = w - rx;

    // Each piece fills its rectangle with the picture tiled from the rectangle's corner, so a
    // one-pixel strip widens a caption to any length.
    const auto fillWith = [&g] (const Artwork::ScaledPicture& picture, int x, int width)
    {
        if (width <= 0)
            return;

        g.setFillType (picture.tiledFill (g, { (float) x, (float) captionY }));
        g.fillRect (x, captionY, width, captionHeight);
    };

    fillWith (isConnected() ? headerConnectedImage : headerDisconnectedImage, 20, captionWidth);

    if (half - 396 > 0)
        fillWith (headerFillImage, 307, half - 396);

    fillWith (headerCapImage, half - 89, capWidth);
    fillWith (headerRightImage, rx, captionWidth);
    fillWith (headerFillImage, half + 327, rw - 310);
    fillWith (headerCapImage, rx + rw - 23, capWidth);
}

void PresetLibrarianManager::showVersionTexts()
{
    if (controller == nullptr)
        return;

    if (isConnected() && deviceVersion > 0)
        deviceLabel->setText ("Tonarel v" + juce::String (deviceVersion), juce::dontSendNotification);

    // The device's version belongs to the job while one runs.
    if (controller->isRunning())
        return;

    const auto fileVersion = lastFileVersion;
    const auto receivedVersion = deviceVersion;

    if (fileVersion <= 0 || receivedVersion <= 0)
        return;

    // The label also tells the outcome of the last job, which must stay to be read: agreeing
    // versions take away only the warning.
    if (fileVersion != receivedVersion)
        statusLabel->setText (inconsistentVersionText, juce::dontSendNotification);
    else if (statusLabel->getText() == inconsistentVersionText)
        statusLabel->setText ({}, juce::dontSendNotification);
}

void PresetLibrarianManager::showDeviceConnected (bool shownConnected)
{
    deviceLabel->setColour (juce::Label::textColourId, shownConnected ? connectedText : disconnectedText);
    deviceLabel->setText (shownConnected ? "Tonarel" : "Unable to detect Tonarel!",
                          juce::dontSendNotification);
}

void PresetLibrarianManager::addDevicePreset (juce::int32 number, const juce::String& name,
                                              juce::int16 version)
{
    devicePresets.add ({ number, name, version });

    // A failed or cancelled read hands on an emptied header: its version of 0 is no version of
    // the device, and taken for one it would refuse every file of the next load.
    if (number > 0 && version > 0)
        deviceVersion = version;
}

bool PresetLibrarianManager::keyPressed (const juce::KeyPress& key, juce::Component*)
{
    // In a list the list's own filter opens; a key reaches here from the buttons and the chooser.
    if (key != juce::KeyPress ('f', juce::ModifierKeys::ctrlModifier, 0))
        return false;

    localList->showFilterField ({});
    return true;
}
