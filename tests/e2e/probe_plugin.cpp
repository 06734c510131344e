// The widget probe as a Qt "generic" plugin, for Windows, where nothing can
// be preloaded: the program loads it when QT_QPA_GENERIC_PLUGINS names it,
// and loading it starts the probe (widget_probe.cpp) as preloading does on
// Linux. The plugin creates no input device.

#include <QGenericPlugin>

class ProbePlugin : public QGenericPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "probe_plugin.json")

public:
  QObject* create(const QString&, const QString&) override { return nullptr; }
};

#include "probe_plugin.moc"
